#include <platform/emergency/CodeField.h>
#include <platform/emergency/EditLine.h>
#include <platform/emergency/Keypad.h>
#include <platform/tarn/StylableWidget.h>
#include <ui/PinUiWidget.h>

#include <QFocusEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

// The code page's content as the user drives it: keypad, physical keys,
// masking and the emergency look.
class TestPinUiWidget : public QObject
{
    Q_OBJECT

private:
    static QString keyStyle(const PinUiWidget& w)
    {
        return Tarn::StylableWidget::styleName(w.emergencyButton());
    }
    static void press(PinUiWidget& w, const QString& digits)
    {
        for (const QChar c : digits) {
            const int index = c == QLatin1Char('0') ? 10 : c.digitValue() - 1;
            QTest::mouseClick(w.keypadWidget()->button(index), Qt::LeftButton);
        }
    }

private Q_SLOTS:
    void typingPastTheMaximumIsRefused()
    {
        PinUiWidget w;
        QSignalSpy over(&w, &PinUiWidget::maxLengthExeeded);
        QSignalSpy changed(&w, &PinUiWidget::textChanged);
        w.setMaxLen(4);
        press(w, QStringLiteral("12345"));
        QCOMPARE(w.text(), QStringLiteral("1234"));
        // Relayed from the event loop, not from inside the keypad's click.
        QVERIFY2(changed.isEmpty(), "text change relayed synchronously, not queued");
        QVERIFY2(over.isEmpty(), "length refusal relayed synchronously, not queued");
        QTRY_COMPARE(over.count(), 1);
        QTRY_COMPARE(changed.count(), 4);
        QCOMPARE(changed.last().first().toString(), QStringLiteral("1234"));
        // The field keeps refusing, the edit line never holds more.
        QTest::keyClick(w.codeField()->editLine(), Qt::Key_9);
        QCOMPARE(w.text(), QStringLiteral("1234"));
        QTRY_COMPARE(over.count(), 2);
    }

    void emergencyMode_data()
    {
        QTest::addColumn<bool>("masked");
        QTest::addRow("masked query") << true;
        QTest::addRow("unmasked query") << false;
    }

    void emergencyMode()
    {
        QFETCH(bool, masked);
        PinUiWidget w;
        w.maskCode(masked);
        w.resetMode();
        QCOMPARE(w.codeField()->isClearText(), !masked);
        press(w, QStringLiteral("112"));
        w.setEmergencyMode(true, false);
        QCOMPARE(w.codeField()->mode(), 2);
        QVERIFY(w.codeField()->isClearText());
        QCOMPARE(keyStyle(w), QStringLiteral("korvaEmergencyButtonActive"));
        QTest::keyClick(w.codeField()->editLine(), Qt::Key_Backspace);
        w.setEmergencyMode(false, false);
        QCOMPARE(w.codeField()->mode(), masked ? 0 : 2);
        QCOMPARE(w.codeField()->isClearText(), !masked);
        QCOMPARE(keyStyle(w), QStringLiteral("korvaEmergencyButton"));
        // An error title keeps the digits as masking wants them.
        w.setErrorText(QStringLiteral("Wrong"));
        QVERIFY(w.codeField()->isTitleError());
        QCOMPARE(w.codeField()->isClearText(), !masked);
        w.setEmergencyMode(false, true);
        QVERIFY(!w.codeField()->isTitleError());
        QCOMPARE(w.codeField()->isClearText(), !masked);
    }

    void texts()
    {
        PinUiWidget w;
        w.setTitleText(QStringLiteral("Enter PIN code"));
        w.setHintText(QStringLiteral("2 attempts left"));
        w.setErrorText(QStringLiteral("Incorrect PIN code"));
        QCOMPARE(w.codeField()->titleText(), QStringLiteral("Incorrect PIN code"));
        QCOMPARE(w.codeField()->hintText(), QStringLiteral("2 attempts left"));
        w.setTitleText(QStringLiteral("Enter PIN code"));
        QVERIFY(!w.codeField()->isTitleError());
        press(w, QStringLiteral("98"));
        w.removeText();
        QCOMPARE(w.text(), QString());
    }

    void keys()
    {
        PinUiWidget w;
        QVERIFY(w.isMasked());
        QCOMPARE(w.keypadWidget()->button(9), w.emergencyButton());
        QCOMPARE(w.keypadWidget()->button(11), w.okButton());
        QSignalSpy enter(&w, &PinUiWidget::enterReleased);
        QSignalSpy cancel(&w, &PinUiWidget::cancelReleased);
        QSignalSpy clicked(&w, &PinUiWidget::uiClicked);
        QTest::mouseClick(w.okButton(), Qt::LeftButton);
        press(w, QStringLiteral("5"));
        QTest::mouseClick(w.cancelButton(), Qt::LeftButton);
        QTest::mouseClick(w.emergencyButton(), Qt::LeftButton);
        QCOMPARE(enter.count(), 1);
        QCOMPARE(cancel.count(), 1);
        QCOMPARE(clicked.count(), 4);

        QWidget* edit = w.codeField()->editLine();
        QTest::keyClicks(edit, QStringLiteral("2a3-"));
        QCOMPARE(w.text(), QStringLiteral("523"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(w.text(), QStringLiteral("52"));
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Enter);
        QCOMPARE(enter.count(), 3);
        QCOMPARE(w.codeField()->insert(QStringLiteral("4x")), false);
        QCOMPARE(w.text(), QStringLiteral("52"));
    }

    void focusReasons_data()
    {
        QTest::addColumn<Qt::FocusReason>("reason");
        QTest::addColumn<int>("clicks");
        QTest::addRow("window activation") << Qt::ActiveWindowFocusReason << 0;
        QTest::addRow("popup") << Qt::PopupFocusReason << 0;
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
};

QTEST_MAIN(TestPinUiWidget)
#include "tst_pinuiwidget.moc"
