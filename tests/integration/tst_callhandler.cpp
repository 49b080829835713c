#include <MockService.h>

#include <platform/cellular/OfonoModem.h>
#include <platform/emergency/CallHandler.h>

#include <QDBusMessage>
#include <QSignalSpy>
#include <QTest>

// Emergency calls against the simulated oFono: numbers, going online first,
// and the start and end of the call.
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

QTEST_GUILESS_MAIN(TestCallHandler)
#include "tst_callhandler.moc"
