#include <XTools.h>

#include <common/Vocabulary.h>
#include <platform/emergency/CodeField.h>
#include <platform/emergency/EditLine.h>
#include <platform/emergency/Keypad.h>
#include <platform/tarn/StylableWidget.h>
#include <platform/tarn/TextEdit.h>
#include <provisioning/ProvisioningPinSheet.h>
#include <query/NewPinValidator.h>
#include <query/PinValidator.h>
#include <query/QueryManager.h>
#include <ui/KorvadWin.h>
#include <ui/PinCodeQueryUI.h>
#include <ui/PinUiWidget.h>
#include <ui/UiWrapper.h>

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QFocusEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// The PIN page on a real X server, driven through the wrapper as the query
// engine does: the hints the window manager reads, the status bar the theme
// decides on, escape, and the field and keypad as the user touches them.
// Then the engine's rules behind the page that no simulated card reaches, in
// process: what each SIM error shows, and how the validators read codes and
// attempt counts (each SIM status under the page: tst_pinquery). No SIM
// service runs: the first status is "unknown".
class TestPinPage : public QObject
{
    Q_OBJECT

private:
    const QString Title = u"Enter PIN code"_s;
    const QString NoBar = u"pinNoStatusBar"_s;
    const QString BarNoMenu = u"pinStatusBarNoMenu"_s;
    // Stacking layer, cannot-minimise and skip-taskbar; empty: not set.
    const QStringList AboveAll { u"3"_s, u"3"_s, u"3"_s };
    const QStringList Normal { u"0"_s, QString(), QString() };

    QueryManager* manager = nullptr;

    // The engine once it has taken the first status, as the daemon is ready.
    bool startEngine()
    {
        manager = new QueryManager(nullptr, false);
        return QSignalSpy(manager, &QueryManager::updateUpstart).wait();
    }
    QString hint() const { return manager->uiWrapper()->entryWidget()->codeField()->hintText(); }
    QString title() const { return manager->uiWrapper()->entryWidget()->codeField()->titleText(); }

    static KorvadWin* window(const UiWrapper& ui)
    {
        return ui.queryPage() ? ui.queryPage()->currentWindow() : nullptr;
    }
    static bool escapeShown(const UiWrapper& ui)
    {
        return ui.queryPage()->componentDisplayMode(Tarn::ApplicationPage::EscapeButton)
            == Tarn::ApplicationPage::Show;
    }
    static QWidget* menu(KorvadWin* w) { return w->statusBar()->findChild<QWidget*>(u"statusBarMenu"_s); }
    static QStringList hints(QWidget* w)
    {
        QStringList values;
        for (const char* name :
            { "_TARN_STACKING_LAYER", "_TARNTOUCH_CANNOT_MINIMIZE", "_NET_WM_STATE_SKIP_TASKBAR" })
            values << XTools::xprop(QString::number(w->winId()), QLatin1String(name))
                          .section(QLatin1Char('='), 1)
                          .trimmed();
        return values;
    }
    static void press(PinUiWidget& w, const QString& digits)
    {
        for (const QChar c : digits)
            QTest::mouseClick(w.keypadWidget()->button(c.digitValue() - 1), Qt::LeftButton);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QFile qss(QCoreApplication::applicationDirPath() + u"/theme/korva.qss"_s);
        QVERIFY(qss.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(qss.readAll()));
    }

    void cleanup()
    {
        delete manager;
        manager = nullptr;
    }

    void forcedOrFree_data()
    {
        QTest::addColumn<bool>("forced");
        QTest::addRow("free") << false;
        QTest::addRow("forced") << true;
    }

    void forcedOrFree()
    {
        QFETCH(bool, forced);
        UiWrapper ui;
        ui.setTitle(Title, false);
        ui.appear(true, forced);
        KorvadWin* w = window(ui);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(w->styleName(), forced ? NoBar : QString());
        QCOMPARE(w->statusBar()->isVisible(), !forced);
        QCOMPARE(menu(w)->isVisible(), !forced);
        QCOMPARE(ui.isOnTop(), forced);
        QCOMPARE(hints(w), forced ? AboveAll : Normal);
        QCOMPARE(escapeShown(ui), !forced);
        // Escape is a back, except on a page the user may not leave; so are
        // the back button and closing the window, reported after the close.
        QSignalSpy back(&ui, &UiWrapper::backButtonClicked);
        QTest::keyClick(ui.entryWidget()->codeField()->editLine(), Qt::Key_Escape);
        QCOMPARE(back.count(), forced ? 0 : 1);
        QVERIFY(ui.isVisible());
        if (forced)
            return;
        QTest::mouseClick(ui.queryPage()->escapeButton(), Qt::LeftButton);
        QPointer<KorvadWin> closed = w;
        w->close();
        QCOMPARE(back.count(), 2);
        QTRY_COMPARE(back.count(), 3);
        QTRY_VERIFY(!closed);
    }

    // A call lowers the forced page, and it returns above everything after
    // (on a real modem: tst_ofonotier), also from the emergency dialer.
    void forcedChanges()
    {
        UiWrapper ui;
        ui.setTitle(Title, false);
        ui.appear(true, true);
        KorvadWin* w = window(ui);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        ui.setWindowOnTop(false);
        QCOMPARE(hints(w), Normal);
        // The emergency dialer shows the status bar, never its menu; the
        // stored forced value again changes nothing, not even the bar.
        ui.hideStatusBar(false);
        QCOMPARE(w->styleName(), BarNoMenu);
        QVERIFY(w->statusBar()->isVisible());
        QVERIFY(!menu(w)->isVisible());
        ui.setForced(true);
        QCOMPARE(w->styleName(), BarNoMenu);
        QVERIFY(!ui.isOnTop());
        ui.restoreForced();
        QCOMPARE(w->styleName(), NoBar);
        QCOMPARE(hints(w), AboveAll);
    }

    void typingPastTheMaximumIsRefused()
    {
        PinUiWidget w;
        QSignalSpy over(&w, &PinUiWidget::maxLengthExeeded);
        QSignalSpy changed(&w, &PinUiWidget::textChanged);
        w.setMaxLen(4);
        press(w, u"1234"_s);
        QTest::keyClick(w.codeField()->editLine(), Qt::Key_5);
        QCOMPARE(w.text(), u"1234"_s);
        // Relayed from the event loop, not from inside the keypad's click.
        QVERIFY2(changed.isEmpty(), "text change relayed synchronously, not queued");
        QVERIFY2(over.isEmpty(), "length refusal relayed synchronously, not queued");
        QTRY_COMPARE(over.count(), 1);
        QTRY_COMPARE(changed.count(), 4);
        QCOMPARE(changed.last().first().toString(), u"1234"_s);
    }

    // An emergency number shows while it is typed; the code is masked again
    // after it, and under an error title, which the next title replaces.
    void emergencyMode()
    {
        PinUiWidget w;
        w.maskCode(true);
        w.resetMode();
        w.setTitleText(Title);
        press(w, u"112"_s);
        w.setEmergencyMode(true, false);
        QVERIFY(w.codeField()->isClearText());
        QCOMPARE(Tarn::StylableWidget::styleName(w.emergencyButton()), u"korvaEmergencyButtonActive"_s);
        // Even in clear a screen reader never gets the digits.
        QAccessibleInterface* field = QAccessible::queryAccessibleInterface(w.codeField()->editLine());
        QVERIFY(field && field->state().passwordEdit && !field->textInterface());
        w.setEmergencyMode(false, false);
        QVERIFY(!w.codeField()->isClearText());
        QCOMPARE(Tarn::StylableWidget::styleName(w.emergencyButton()), u"korvaEmergencyButton"_s);
        w.setErrorText(u"Wrong"_s);
        QVERIFY(w.codeField()->isTitleError());
        QVERIFY(!w.codeField()->isClearText());
        w.setTitleText(Title);
        QVERIFY(!w.codeField()->isTitleError());
    }

    void keys()
    {
        PinUiWidget w;
        QVERIFY2(!w.codeField()->isClearText(), "the code shows by default");
        QSignalSpy enter(&w, &PinUiWidget::enterReleased);
        QSignalSpy cancel(&w, &PinUiWidget::cancelReleased);
        QSignalSpy clicked(&w, &PinUiWidget::uiClicked);
        QTest::mouseClick(w.okButton(), Qt::LeftButton);
        press(w, u"5"_s);
        QTest::mouseClick(w.cancelButton(), Qt::LeftButton);
        QTest::mouseClick(w.emergencyButton(), Qt::LeftButton);
        QCOMPARE(enter.count(), 1);
        QCOMPARE(cancel.count(), 1);
        QCOMPARE(clicked.count(), 4);

        QWidget* edit = w.codeField()->editLine();
        // Other scripts' digits: tst_pinquery.
        QTest::keyClicks(edit, u"2a3-"_s);
        QCOMPARE(w.text(), u"523"_s);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Enter);
        QCOMPARE(enter.count(), 3);
        QCOMPARE(w.codeField()->insert(u"4x"_s), false);
        QCOMPARE(w.text(), u"52"_s);
    }

    // Focus that follows the window becoming active is not the user's touch.
    void focusReasons_data()
    {
        QTest::addColumn<Qt::FocusReason>("reason");
        QTest::addColumn<int>("clicks");
        QTest::addRow("window activation") << Qt::ActiveWindowFocusReason << 0;
        QTest::addRow("other") << Qt::OtherFocusReason << 0;
        QTest::addRow("mouse") << Qt::MouseFocusReason << 1;
        QTest::addRow("tab") << Qt::TabFocusReason << 1;
    }

    void focusReasons()
    {
        QFETCH(Qt::FocusReason, reason);
        QFETCH(int, clicks);
        PinUiWidget w;
        QSignalSpy clicked(&w, &PinUiWidget::uiClicked);
        QFocusEvent in(QEvent::FocusIn, reason);
        QCoreApplication::sendEvent(w.codeField()->editLine(), &in);
        QCOMPARE(clicked.count(), clicks);
    }

    // The settings PIN does not outlive its sheet, and the field's last
    // change while it wipes itself does not reach the half-destroyed sheet
    // (the sanitizer run catches that).
    void provisioningPinWipedWithItsSheet()
    {
        auto* sheet = new ProvisioningPinSheet;
        auto* field = sheet->findChild<Tarn::TextEdit*>(u"provisioningPin"_s);
        QVERIFY(field);
        QCOMPARE(field->echoMode(), QLineEdit::Password);
        QTest::keyClicks(field, u"8642"_s);
        QCOMPARE(sheet->pinCode(), u"8642"_s);
        QSignalSpy changed(field, &QLineEdit::textChanged);
        delete sheet;
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().first().toString(), QString());
    }

    // The boot's PIN stage while the first status is still unknown: a SIM
    // ready for a moment does not end a launch's wait for the PIN, and the
    // start window ends the stage under a page (the modem's arrival, early or
    // late, with or without a launch: tst_ofonotier).
    void bootStage_data()
    {
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QStringList>("seen");
        const QStringList query { "Shown", "PIN_CODE_DONE", "Done false" };
        QTest::newRow("launch, ready for a moment, PIN") << QStringList { "launch", "0", "4" } << query;
        QTest::newRow("PIN without a launch, window ends") << QStringList { "4", "timeout" } << query;
    }

    void bootStage()
    {
        QFETCH(QStringList, events);
        QFETCH(QStringList, seen);
        QVERIFY(startEngine());
        QStringList log;
        connect(manager, &QueryManager::updateUpstart, this, [&log](bool, bool done) {
            if (done)
                log << u"PIN_CODE_DONE"_s;
        });
        connect(manager, &QueryManager::pinQueryShownResponse, this, [&log] { log << u"Shown"_s; });
        connect(manager, &QueryManager::pinQueryDoneResponse, this,
            [&log](bool ok) { log << (ok ? u"Done true"_s : u"Done false"_s); });
        for (const QString& event : events) {
            if (event == "launch"_L1)
                QVERIFY(manager->launchPinQuery(SIMSecurity::PinTypePin));
            else if (event == "timeout"_L1)
                manager->startResponseTimeout();
            else
                Q_EMIT manager->statusChanged(SIMStatus::Status(event.toInt()));
        }
        QTRY_COMPARE(log, seen);
        manager->disconnect(this);
    }

    void simErrors_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("type");
        QTest::newRow("wrong code") << 7 << false << QString() << QString();
        QTest::newRow("in progress") << 8 << false << QString() << QString();
        QTest::newRow("rejected") << 11 << false << KorvaText::SimRejected << "sim.error.sound";
    }

    void simErrors()
    {
        QVERIFY(startEngine());
        QFETCH(int, error);
        QFETCH(bool, usable);
        QFETCH(QString, note);
        QFETCH(QString, type);
        QSignalSpy notes(manager, &QueryManager::showNotification);
        QCOMPARE(manager->checkSIMError(SIMError(error)), usable);
        if (note.isEmpty()) {
            QCOMPARE(notes.size(), 0);
        } else {
            QCOMPARE(notes.size(), 1);
            QCOMPARE(notes.first(), (QVariantList { qtTrId(note.toLatin1().constData()), type }));
        }
    }

    // When the PIN is taken to be blocked. The SIM service may answer a
    // refused PIN before it lowers its count: a count that did not drop is
    // one try too high (the tries left after a wrong PIN: tst_pinquery).
    void pinBlocked_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("afterWrong"); // -2: no wrong PIN
        QTest::newRow("none left at the start") << 0 << -2;
        QTest::newRow("last try, count not yet lowered") << 1 << 1;
    }

    void pinBlocked()
    {
        QVERIFY(startEngine());
        QFETCH(int, first);
        QFETCH(int, afterWrong);
        manager->createUi(qtTrId(KorvaText::PinQueryTitle), false);
        PinValidator validator(manager, nullptr);
        QSignalSpy outcome(&validator, &PinValidator::verifyComplete);
        Q_EMIT manager->pinAttemptsLeftComplete(first, Cellular::SIM::NoError);
        if (afterWrong != -2) {
            Q_EMIT manager->verifyPINComplete(false, Cellular::SIM::WrongCode);
            QCOMPARE(outcome.takeFirst(),
                (QVariantList { false, QVariant::fromValue(Cellular::SIM::WrongCode), first }));
            Q_EMIT manager->pinAttemptsLeftComplete(afterWrong, Cellular::SIM::NoError);
        }
        QCOMPARE(outcome.size(), 1);
        QCOMPARE(outcome.first().value(0).toBool(), false);
        QCOMPARE(outcome.first().value(2).toInt(), 0);
    }

    void newPin_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("accepted");
        QTest::addColumn<QString>("hintId");
        QTest::newRow("differ") << QStringList { "2468", "1357" } << QString() << KorvaText::NewPinsDiffer;
        QTest::newRow("too short") << QStringList { "246" } << QString() << KorvaText::CodeTooShort;
    }

    void newPin()
    {
        QVERIFY(startEngine());
        QFETCH(QStringList, entries);
        QFETCH(QString, accepted);
        QFETCH(QString, hintId);
        NewPinValidator validator(manager, nullptr);
        validator.startQuery(true);
        QSignalSpy newPins(&validator, &NewPinValidator::newPin);
        for (const QString& code : entries)
            validator.enterReleased(code);
        QCOMPARE(newPins.size(), accepted.isEmpty() ? 0 : 1);
        if (!accepted.isEmpty())
            QCOMPARE(newPins.first().first().toString(), accepted);
        QCOMPARE(hint(), hintId.isEmpty() ? QString() : qtTrId(hintId.toLatin1().constData()));
        QVERIFY(!validator.hasFirstEntry());
    }
};

QTEST_MAIN(TestPinPage)
#include "tst_pinpage.moc"
