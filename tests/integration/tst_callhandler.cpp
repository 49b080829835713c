#include <MockService.h>

#include <platform/cellular/OfonoModem.h>
#include <platform/emergency/CallHandler.h>
#include <platform/emergency/CodeField.h>
#include <platform/emergency/EditLine.h>
#include <platform/emergency/EmergencyDialer.h>
#include <platform/emergency/Keypad.h>

#include <QDBusMessage>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

// Emergency calls against the simulated oFono: numbers, going online first,
// the start and end of the call, and the dialer that places them.
class TestCallHandler : public QObject
{
    Q_OBJECT

private:
    MockService* ofono = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        // A modem in flight mode with the SIM still wanting its PIN.
        ofono = new MockService(QStringLiteral("ofono_sim"), QStringLiteral("org.ofono"),
            MockService::SystemBus, { { QStringLiteral("online"), false } });
        QVERIFY(ofono->start());
    }

    void cleanupTestCase() { delete ofono; }

    void emergencyNumbers_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("emergency");
        QTest::addRow("112") << "112" << true;
        QTest::addRow("911") << "911" << true;
        QTest::addRow("from the modem") << "999" << true;
        QTest::addRow("a PIN") << "1234" << false;
        QTest::addRow("prefix of one") << "11" << false;
        QTest::addRow("longer") << "1120" << false;
        QTest::addRow("empty") << "" << false;
    }

    void emergencyNumbers()
    {
        QFETCH(QString, number);
        QFETCH(bool, emergency);
        Emergency::CallHandler handler;
        QTRY_VERIFY(handler.emergencyNumbers().contains(QStringLiteral("999")));
        QCOMPARE(handler.isEmergencyNumber(number), emergency);
    }

    void callGoesOnlineThenDials()
    {
        Emergency::CallHandler handler;
        QSignalSpy started(&handler, &Emergency::CallHandler::callStarted);
        QSignalSpy done(&handler, &Emergency::CallHandler::callDone);
        QSignalSpy failed(&handler, &Emergency::CallHandler::callFailed);
        ofono->clearCalls(QStringLiteral("/ril_0"));

        handler.startEmergencyCall(QStringLiteral("1234"));
        QCOMPARE(failed.count(), 1);

        handler.startEmergencyCall(QStringLiteral("112"));
        QVERIFY(started.wait(5000));
        QCOMPARE(failed.count(), 1);
        QCOMPARE(ofono->calls(QStringLiteral("/ril_0"), QStringLiteral("Dial")).size(), 1);
        QCOMPARE(ofono->calls(QStringLiteral("/ril_0"), QStringLiteral("Dial")).first().first().toString(),
            QStringLiteral("112"));
        QVERIFY(handler.isCallActive());

        QDBusMessage hangup
            = QDBusMessage::createMethodCall(QStringLiteral("org.ofono"), QStringLiteral("/ril_0"),
                QStringLiteral("org.ofono.VoiceCallManager"), QStringLiteral("HangupAll"));
        QCOMPARE(ofono->bus().call(hangup).type(), QDBusMessage::ReplyMessage);
        QVERIFY(done.wait(5000));
        QCOMPARE(started.count(), 1);
        QVERIFY(!handler.isCallActive());
    }

    // The dialer holds 16 digits, lights its call key for emergency numbers
    // only, calls nothing else, and goes once the call has started.
    void dialer()
    {
        Emergency::CallHandler handler;
        QTRY_VERIFY(handler.emergencyNumbers().contains(QStringLiteral("999")));
        QWidget page;
        QPointer<Emergency::EmergencyDialer> dialer
            = qobject_cast<Emergency::EmergencyDialer*>(handler.startDialerUi(&page));
        QVERIFY(dialer);
        Emergency::CodeField* field = dialer->codeField();
        QPushButton* call = dialer->keypad()->button(Emergency::Keypad::RightBottom);
        auto lit = [call] {
            return call->property("styleName").toString() == QLatin1String("EmergencyDialerCallButtonActive");
        };
        ofono->clearCalls(QStringLiteral("/ril_0"));

        QTest::keyClicks(field->editLine(), QString(20, QLatin1Char('5')));
        QCOMPARE(field->text(), QString(16, QLatin1Char('5')));
        field->clear();
        QTest::keyClicks(field->editLine(), QStringLiteral("1234"));
        QVERIFY2(!lit(), "call key lit for a number that is no emergency number");
        QTest::mouseClick(call, Qt::LeftButton);
        QVERIFY(!field->hintText().isEmpty());
        field->clear();
        QTest::keyClicks(field->editLine(), QStringLiteral("999"));
        QVERIFY2(lit(), "call key dark for an emergency number");
        QVERIFY(dialer);
        QVERIFY(ofono->calls(QStringLiteral("/ril_0"), QStringLiteral("Dial")).isEmpty());

        QSignalSpy started(&handler, &Emergency::CallHandler::callStarted);
        QTest::mouseClick(call, Qt::LeftButton);
        QVERIFY(started.wait(5000));
        QCOMPARE(ofono->calls(QStringLiteral("/ril_0"), QStringLiteral("Dial")).value(0).value(0).toString(),
            QStringLiteral("999"));
        QVERIFY2(
            QTest::qWaitFor([&] { return dialer.isNull(); }), "dialer stays open after the call started");
        QDBusMessage hangup
            = QDBusMessage::createMethodCall(QStringLiteral("org.ofono"), QStringLiteral("/ril_0"),
                QStringLiteral("org.ofono.VoiceCallManager"), QStringLiteral("HangupAll"));
        QCOMPARE(ofono->bus().call(hangup).type(), QDBusMessage::ReplyMessage);
        QTRY_VERIFY(!handler.isCallActive());
    }

    void refusedDialIsAFailure()
    {
        Emergency::CallHandler handler;
        QSignalSpy failed(&handler, &Emergency::CallHandler::callFailed);
        QSignalSpy started(&handler, &Emergency::CallHandler::callStarted);
        ofono->control(QStringLiteral("/"), QStringLiteral("SetNextError"),
            { QStringLiteral("Dial"), QStringLiteral("org.ofono.Error.Failed") });
        handler.startEmergencyCall(QStringLiteral("911"));
        QVERIFY(failed.wait(5000));
        QCOMPARE(started.count(), 0);
    }
};

QTEST_MAIN(TestCallHandler)
#include "tst_callhandler.moc"
