#include <MockService.h>

#include <app/Korvad.h>
#include <common/Vocabulary.h>
#include <notify/KorvaUI.h>
#include <notify/PavoIf.h>
#include <platform/cellular/NetworkRegistration.h>
#include <platform/cellular/SystemControl.h>
#include <platform/emergency/CallHandler.h>
#include <platform/emergency/CodeField.h>
#include <platform/emergency/EditLine.h>
#include <platform/emergency/EmergencyDialer.h>
#include <platform/emergency/Keypad.h>
#include <platform/system/TouchScreenLock.h>
#include <platform/tarn/Dialog.h>
#include <platform/tarn/Locale.h>
#include <platform/tarn/MessageBox.h>

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

using Cellular::SIM::SIMStatus;

// The clients of the device mode service and of oFono's call manager against
// their simulations on a private system bus, the core's offline question,
// and the status watcher fed what oFono never reports (reject causes,
// limited service) through its cellular sources' own signals. oFono runs
// only for the emergency calls, which come last.
class TestSystemClients : public QObject
{
    Q_OBJECT

private:
    static constexpr const char* Request = "/com/vexa/pavo/request";

    static MockService* pavo(const QVariantMap& params = {})
    {
        return new MockService(u"pavo"_s, u"com.vexa.pavo"_s, MockService::SystemBus, params);
    }

    static QList<Tarn::Dialog*> shown(const char* name)
    {
        QList<Tarn::Dialog*> found;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String(name) && w->isVisible())
                found << qobject_cast<Tarn::Dialog*>(w);
        return found;
    }

    static QStringList refusals()
    {
        QStringList titles;
        for (Tarn::Dialog* box : shown("networkRefusal"))
            titles << box->title();
        return titles;
    }

    // From the first emergency call on: a modem in flight mode with the SIM
    // still wanting its PIN.
    bool ofonoUp()
    {
        if (m_ofono)
            return true;
        m_ofono.reset(new MockService(
            u"ofono_sim"_s, u"org.ofono"_s, MockService::SystemBus, { { u"online"_s, false } }));
        return m_ofono->start();
    }

    Tarn::Locale m_locale;
    QScopedPointer<MockService> m_ofono;

private Q_SLOTS:
    void initTestCase()
    {
        m_locale.installTrCatalog(u"cellular-adaptation"_s);
        Tarn::Locale::setDefault(&m_locale);
    }

    // Anything but a clear "bit 0 is off" counts as online, and the service
    // is asked once. (Errors, no service: tst_offline.)
    void firstAnswer_data()
    {
        QTest::addColumn<uint>("bits");
        QTest::addColumn<bool>("offline");
        QTest::newRow("other bits only") << 0xFFFFFFFEu << true;
        QTest::newRow("odd value") << 0x8001u << false;
    }

    void firstAnswer()
    {
        QFETCH(uint, bits);
        QFETCH(bool, offline);
        QScopedPointer<MockService> mock(pavo({ { u"radio_states"_s, bits } }));
        QVERIFY(mock->start());
        PavoIf client;
        QCOMPARE(client.isOffline(), offline);
        QCOMPARE(client.isOffline(), offline);
        QCOMPARE(mock->calls(QLatin1String(Request), u"get_radio_states"_s).size(), 1);
    }

    void touchScreenUnlock()
    {
        QScopedPointer<MockService> mock(pavo());
        QVERIFY(mock->start());
        SystemState::TouchScreenLock lock;
        QSignalSpy finished(&lock, &SystemState::TouchScreenLock::requestFinished);
        QVERIFY(lock.setState(SystemState::TouchScreenLock::Unlocked));
        QVERIFY(finished.wait());
        QCOMPARE(finished.takeFirst().at(1).toBool(), true);
        const QDBusMessage mode = mock->control(QLatin1String(Request), u"GetTklockMode"_s);
        QCOMPARE(mode.arguments().value(0).toString(), u"unlocked"_s);

        mock->stop();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^Touch screen lock: can't set"_s));
        QVERIFY(lock.setState(SystemState::TouchScreenLock::Unlocked));
        QVERIFY(finished.wait());
        QCOMPARE(finished.takeFirst().at(1).toBool(), false);
    }

    // The question brings its own catalogue without losing the daemon's.
    void offlineQuestionKeepsDaemonTexts()
    {
        QScopedPointer<MockService> mock(pavo({ { u"radio_states"_s, 0u } }));
        QVERIFY(mock->start());
        Korvad core;
        core.startDaemon();
        QCOMPARE(shown("offlineQuestion").size(), 1);
        QCOMPARE(qtTrId(KorvaText::ErrorTitle), u"Error"_s);
        QVERIFY(qtTrId(KorvaText::OfflineQuestion).endsWith(QLatin1Char('?')));
        shown("offlineQuestion").first()->disappear();
        QTRY_COMPARE(core.offlineState(), 1);
    }

    void reports_data()
    {
        QTest::addColumn<QList<QPoint>>("reports"); // registration status, reject code
        QTest::addColumn<int>("questions");
        QTest::addColumn<QStringList>("dialogs");
        const QString mm6 = qtTrId(KorvaText::RejectCause6);
        QTest::newRow("cause 0") << QList<QPoint> { { 5, 0 } } << 0
                                 << QStringList { qtTrId(KorvaText::RejectCause2) };
        QTest::newRow("cause 4 twice")
            << QList<QPoint> { { 5, 4 }, { 5, 4 } } << 0 << QStringList { mm6, mm6 };
        QTest::newRow("limited service twice, then no network")
            << QList<QPoint> { { 7, -1 }, { 7, -1 }, { 2, -1 } } << 1 << QStringList {};
    }

    // Then the card goes: every refusal dialog closes once the handler is
    // done, and an unknown status on the way is not taken for the card.
    void reports()
    {
        QFETCH(QList<QPoint>, reports);
        QFETCH(int, questions);
        QFETCH(QStringList, dialogs);
        KorvaUI ui;
        auto* sim = ui.findChild<SIMStatus*>();
        QSignalSpy firstAnswer(sim, &SIMStatus::statusComplete);
        QSignalSpy published(&ui, &KorvaUI::publishPhoneNetworkSettingsQuery);
        QSignalSpy noted(&ui, &KorvaUI::showNotification);
        auto* registration = ui.findChild<Cellular::NetworkRegistration*>();
        Q_EMIT registration->modeChanged(0);
        Q_EMIT ui.findChild<Cellular::SystemControl*>()->statusChanged(1);
        for (const QPoint& r : reports)
            Q_EMIT registration->statusWithRejectCodeChanged(r.x(), r.y());
        QCOMPARE(published.size(), questions);
        QCOMPARE(bool(ui.networkQuery()), questions > 0);
        QCOMPARE(refusals(), dialogs);
        QVERIFY(noted.isEmpty());

        QVERIFY(firstAnswer.wait());
        for (SIMStatus::Status s : { SIMStatus::StatusOk, SIMStatus::StatusUnknown, SIMStatus::StatusNoSim })
            Q_EMIT sim->statusChanged(s);
        QCOMPARE(refusals(), dialogs);
        QTRY_VERIFY(refusals().isEmpty());
        QCOMPARE(noted.size(), 1);
        QCOMPARE(noted.last().value(1).toString(), KorvaFeedback::SimRemoved);
    }

    // The emergency numbers, and the dialer: it holds 16 digits, lights its
    // call key for emergency numbers only, calls nothing else, and goes once
    // the call has started. The modem is still in flight mode: the call puts
    // it online first.
    void dialer()
    {
        QVERIFY(ofonoUp());
        Emergency::CallHandler handler;
        // 112 and 911 even before the modem's own numbers are known; nothing near them.
        QVERIFY(handler.isEmergencyNumber(u"112"_s) && handler.isEmergencyNumber(u"911"_s));
        QTRY_VERIFY(handler.emergencyNumbers().contains(u"999"_s));
        for (const char* number : { "1234", "11", "1120", "" })
            QVERIFY2(!handler.isEmergencyNumber(QLatin1String(number)), number);
        QWidget page;
        QPointer<Emergency::EmergencyDialer> dialer
            = qobject_cast<Emergency::EmergencyDialer*>(handler.startDialerUi(&page));
        QVERIFY(dialer);
        Emergency::CodeField* field = dialer->codeField();
        QPushButton* call = dialer->keypad()->button(Emergency::Keypad::RightBottom);
        auto lit = [call] {
            return call->property("styleName").toString() == "EmergencyDialerCallButtonActive"_L1;
        };
        m_ofono->clearCalls(u"/ril_0"_s);

        QTest::keyClicks(field->editLine(), QString(20, QLatin1Char('5')));
        QCOMPARE(field->text(), QString(16, QLatin1Char('5')));
        field->clear();
        QTest::keyClicks(field->editLine(), u"1234"_s);
        QVERIFY2(!lit(), "call key lit for a number that is no emergency number");
        QTest::mouseClick(call, Qt::LeftButton);
        QVERIFY(!field->hintText().isEmpty());
        field->clear();
        QTest::keyClicks(field->editLine(), u"999"_s);
        QVERIFY2(lit(), "call key dark for an emergency number");
        QVERIFY(dialer);
        QVERIFY(m_ofono->calls(u"/ril_0"_s, u"Dial"_s).isEmpty());

        QSignalSpy started(&handler, &Emergency::CallHandler::callStarted);
        QSignalSpy done(&handler, &Emergency::CallHandler::callDone);
        QTest::mouseClick(call, Qt::LeftButton);
        QVERIFY(started.wait(5000));
        QCOMPARE(m_ofono->calls(u"/ril_0"_s, u"Dial"_s), (QList<QVariantList> { { u"999"_s, QString() } }));
        QVERIFY(handler.isCallActive());
        QVERIFY2(
            QTest::qWaitFor([&] { return dialer.isNull(); }), "dialer stays open after the call started");
        QCOMPARE(m_ofono->control(u"/ril_0"_s, u"HangupAll"_s, {}, u"org.ofono.VoiceCallManager"_s).type(),
            QDBusMessage::ReplyMessage);
        QVERIFY(done.wait(5000));
        QCOMPARE(started.count(), 1);
        QVERIFY(!handler.isCallActive());
        // A modem that goes away takes its calls along.
        handler.startEmergencyCall(u"112"_s);
        QVERIFY(started.wait(5000) && m_ofono->step(u"RemoveModem"_s));
        QVERIFY2(done.wait(5000), "a call the modem took along never ended: the page stays lowered");
        QVERIFY(m_ofono->step(u"AddModem"_s));
        QTRY_VERIFY(handler.emergencyNumbers().contains(u"999"_s));
    }

    // Refused by the handler itself, or by the modem: a failure, no call.
    void failedCalls()
    {
        QVERIFY(ofonoUp());
        Emergency::CallHandler handler;
        QSignalSpy failed(&handler, &Emergency::CallHandler::callFailed);
        QSignalSpy started(&handler, &Emergency::CallHandler::callStarted);
        m_ofono->clearCalls(u"/ril_0"_s);
        handler.startEmergencyCall(u"1234"_s);
        QTRY_COMPARE(failed.count(), 1);
        QVERIFY(m_ofono->calls(u"/ril_0"_s, u"Dial"_s).isEmpty());
        m_ofono->control(u"/"_s, u"SetNextError"_s, { u"Dial"_s, u"org.ofono.Error.Failed"_s });
        handler.startEmergencyCall(u"911"_s);
        QTRY_COMPARE(failed.count(), 2);
        QCOMPARE(m_ofono->calls(u"/ril_0"_s, u"Dial"_s).size(), 1);
        QCOMPARE(started.count(), 0);
    }
};

QTEST_MAIN(TestSystemClients)
#include "tst_systemclients.moc"
