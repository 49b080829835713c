#include <MockService.h>

#include <platform/cellular/OfonoModem.h>
#include <query/CellularIf.h>

#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using Cellular::OfonoModem;

// The SIM service adapter on the simulated oFono.
class TestCellularIf : public QObject
{
    Q_OBJECT

private:
    static void settle()
    {
        QDBusConnection::systemBus().interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus"));
        QCoreApplication::processEvents();
    }

private Q_SLOTS:
    // Whatever the platform objects emit reaches the adapter's listeners
    // only once control is back in the event loop, with the same values.
    void relaysQueued_data()
    {
        QTest::addColumn<QByteArray>("signal");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("status change") << QByteArray("statusChanged") << QList<int> { 5 };
        QTest::newRow("status") << QByteArray("statusComplete") << QList<int> { 6, 8 };
        QTest::newRow("PIN") << QByteArray("verifyPINComplete") << QList<int> { 0, 7 };
        QTest::newRow("PUK") << QByteArray("verifyPUKComplete") << QList<int> { 1, 0 };
        QTest::newRow("attempts") << QByteArray("pinAttemptsLeftComplete") << QList<int> { 2, 0 };
        QTest::newRow("change") << QByteArray("changePINComplete") << QList<int> { 0, 3 };
        QTest::newRow("enable") << QByteArray("enablePINQueryComplete") << QList<int> { 7 };
        QTest::newRow("disable") << QByteArray("disablePINQueryComplete") << QList<int> { 2 };
        QTest::newRow("query state") << QByteArray("pinQueryStateComplete") << QList<int> { 0, 0 };
    }

    void relaysQueued()
    {
        QFETCH(QByteArray, signal);
        QFETCH(QList<int>, expected);
        CellularIf cellular;
        auto* security = cellular.findChild<SIMSecurity*>();
        auto* status = cellular.findChild<SIMStatus*>();
        QVERIFY(security && status);
        using namespace Cellular::SIM;
        const QHash<QByteArray, std::function<void()>> emitters {
            { "statusChanged", [&] { Q_EMIT status->statusChanged(SIMStatus::StatusPukRequired); } },
            { "statusComplete",
                [&] { Q_EMIT status->statusComplete(SIMStatus::StatusRejectedOther, QuietFailure); } },
            { "verifyPINComplete", [&] { Q_EMIT security->verifyPINComplete(false, WrongCode); } },
            { "verifyPUKComplete", [&] { Q_EMIT security->verifyPUKComplete(true, NoError); } },
            { "pinAttemptsLeftComplete", [&] { Q_EMIT security->pinAttemptsLeftComplete(2, NoError); } },
            { "changePINComplete", [&] { Q_EMIT security->changePINComplete(false, NoReply); } },
            { "enablePINQueryComplete", [&] { Q_EMIT security->enablePINQueryComplete(WrongCode); } },
            { "disablePINQueryComplete",
                [&] { Q_EMIT security->disablePINQueryComplete(ServiceUnavailable); } },
            { "pinQueryStateComplete",
                [&] { Q_EMIT security->pinQueryStateComplete(SIMSecurity::QueryEnabled, NoError); } },
        };
        const QMetaObject* mo = &CellularIf::staticMetaObject;
        QMetaMethod relayed;
        for (int i = mo->methodOffset(); i < mo->methodCount(); ++i)
            if (mo->method(i).name() == signal)
                relayed = mo->method(i);
        QSignalSpy spy(&cellular, relayed);
        QVERIFY(spy.isValid());
        emitters.value(signal)();
        QVERIFY2(spy.isEmpty(), (signal + " relayed synchronously, not queued").constData());
        QVERIFY2(spy.wait(1000), (signal + " not relayed").constData());
        QCOMPARE(spy.size(), 1);
        QList<int> got;
        for (const QVariant& v : spy.first())
            got << v.toInt();
        QCOMPARE(got, expected);
    }

    void constructorCallsNothing()
    {
        MockService ofono(QStringLiteral("ofono_sim"), QStringLiteral("org.ofono"), MockService::SystemBus);
        QVERIFY(ofono.start());
        QTRY_VERIFY(OfonoModem::instance()->interfaceReady(QString::fromLatin1(OfonoModem::SimInterface)));
        ofono.clearCalls(QStringLiteral("/ril_0"));
        CellularIf cellular;
        QSignalSpy statuses(&cellular, &CellularIf::statusComplete);
        settle();
        QVERIFY(ofono.calls(QStringLiteral("/ril_0"), QStringLiteral("GetProperties")).isEmpty());
        QCOMPARE(statuses.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestCellularIf)
#include "tst_cellularif.moc"
