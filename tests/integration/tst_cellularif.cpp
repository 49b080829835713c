#include <MockService.h>

#include <platform/cellular/OfonoModem.h>
#include <query/CellularIf.h>

#include <QDBusConnectionInterface>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QTest>

using Cellular::OfonoModem;

namespace {

QStringList* g_log = nullptr;

void capture(QtMsgType, const QMessageLogContext& context, const QString& message)
{
    if (g_log)
        g_log->append(
            QString::fromLatin1(context.category ? context.category : "") + QLatin1Char(' ') + message);
}

} // namespace

// The SIM service adapter on the simulated oFono.
class TestCellularIf : public QObject
{
    Q_OBJECT

private:
    static QVariantMap codes()
    {
        // Digits that appear nowhere else (IMSI, ICCID, paths, timestamps are long).
        return { { QStringLiteral("pin"), QStringLiteral("7391") },
            { QStringLiteral("puk"), QStringLiteral("80461527") },
            { QStringLiteral("imsi"), QStringLiteral("244050000000000") },
            { QStringLiteral("iccid"), QStringLiteral("8935800000000000000") } };
    }

    static void settle()
    {
        QDBusConnection::systemBus().interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus"));
        QCoreApplication::processEvents();
    }

private Q_SLOTS:
    void relaysEverySignalQueued_data()
    {
        QTest::addColumn<int>("which");
        for (int i = 0; i < 9; ++i)
            QTest::addRow("%d", i) << i;
    }

    // Whatever the platform objects emit reaches the adapter's listeners
    // only once control is back in the event loop, with the same values.
    void relaysEverySignalQueued()
    {
        QFETCH(int, which);
        CellularIf cellular;
        auto* security = cellular.findChild<SIMSecurity*>();
        auto* status = cellular.findChild<SIMStatus*>();
        QVERIFY(security && status);

        const QList<QMetaMethod> relayed = [&] {
            QList<QMetaMethod> found;
            const QMetaObject* mo = &CellularIf::staticMetaObject;
            for (int i = mo->methodOffset(); i < mo->methodCount(); ++i)
                if (mo->method(i).methodType() == QMetaMethod::Signal)
                    found << mo->method(i);
            return found;
        }();
        QCOMPARE(relayed.size(), 9);
        const QByteArray name = relayed.at(which).name();
        QSignalSpy spy(&cellular, relayed.at(which));

        if (name == "statusChanged")
            Q_EMIT status->statusChanged(SIMStatus::StatusPukRequired);
        else if (name == "statusComplete")
            Q_EMIT status->statusComplete(SIMStatus::StatusRejectedOther, Cellular::SIM::QuietFailure);
        else if (name == "verifyPINComplete")
            Q_EMIT security->verifyPINComplete(false, Cellular::SIM::WrongCode);
        else if (name == "verifyPUKComplete")
            Q_EMIT security->verifyPUKComplete(true, Cellular::SIM::NoError);
        else if (name == "pinAttemptsLeftComplete")
            Q_EMIT security->pinAttemptsLeftComplete(2, Cellular::SIM::NoError);
        else if (name == "changePINComplete")
            Q_EMIT security->changePINComplete(false, Cellular::SIM::NoReply);
        else if (name == "enablePINQueryComplete")
            Q_EMIT security->enablePINQueryComplete(Cellular::SIM::WrongCode);
        else if (name == "disablePINQueryComplete")
            Q_EMIT security->disablePINQueryComplete(Cellular::SIM::ServiceUnavailable);
        else if (name == "pinQueryStateComplete")
            Q_EMIT security->pinQueryStateComplete(SIMSecurity::QueryEnabled, Cellular::SIM::NoError);
        else
            QFAIL(name.constData());

        QCOMPARE(spy.size(), 0);
        QVERIFY(spy.wait(1000));
        QCOMPARE(spy.size(), 1);
        const QHash<QByteArray, QList<int>> expected {
            { "statusChanged", { 5 } },
            { "statusComplete", { 6, 8 } },
            { "verifyPINComplete", { 0, 7 } },
            { "verifyPUKComplete", { 1, 0 } },
            { "pinAttemptsLeftComplete", { 2, 0 } },
            { "changePINComplete", { 0, 3 } },
            { "enablePINQueryComplete", { 7 } },
            { "disablePINQueryComplete", { 2 } },
            { "pinQueryStateComplete", { 0, 0 } },
        };
        QList<int> got;
        for (const QVariant& v : spy.first())
            got << v.toInt();
        QCOMPARE(got, expected.value(name));
    }

    void pukAndNewPinInOneCall()
    {
        MockService ofono(QStringLiteral("ofono_sim"), QStringLiteral("org.ofono"), MockService::SystemBus);
        QVERIFY(ofono.start());
        CellularIf cellular;
        QSignalSpy statuses(&cellular, &CellularIf::statusComplete);
        QSignalSpy changes(&cellular, &CellularIf::statusChanged);
        QTRY_VERIFY(OfonoModem::instance()->interfaceReady(QString::fromLatin1(OfonoModem::SimInterface)));
        const QDBusMessage set
            = ofono.control(QStringLiteral("/"), QStringLiteral("SetPinRequired"), { QStringLiteral("puk") });
        QVERIFY2(set.type() == QDBusMessage::ReplyMessage, qPrintable(set.errorMessage()));
        QTRY_COMPARE(changes.isEmpty() ? -2 : changes.last().at(0).toInt(), 5);
        ofono.clearCalls(QStringLiteral("/ril_0"));

        QSignalSpy done(&cellular, &CellularIf::verifyPUKComplete);
        cellular.verifyPUK(QStringLiteral("12345678"), QStringLiteral("4321"));
        QCOMPARE(done.size(), 0);
        QVERIFY(done.wait());
        QCOMPARE(done.first().at(0).toBool(), true);
        QCOMPARE(done.first().at(1).toInt(), 0);
        const QList<QVariantList> calls = ofono.calls(QStringLiteral("/ril_0"), QStringLiteral("ResetPin"));
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.first(),
            (QVariantList { QStringLiteral("puk"), QStringLiteral("12345678"), QStringLiteral("4321") }));
        QVERIFY(ofono.calls(QStringLiteral("/ril_0"), QStringLiteral("EnterPin")).isEmpty());
        QTRY_VERIFY(changes.last().at(0).toInt() == 0);

        cellular.simStatus();
        QVERIFY(statuses.wait());
        QCOMPARE(statuses.first().at(0).toInt(), 0);
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

    // Every operation, debug output of every category switched on: no
    // code reaches any message.
    void noCodeInAnyLogLine()
    {
        MockService ofono(
            QStringLiteral("ofono_sim"), QStringLiteral("org.ofono"), MockService::SystemBus, codes());
        QVERIFY(ofono.start());
        QTRY_VERIFY(OfonoModem::instance()->interfaceReady(QString::fromLatin1(OfonoModem::SimInterface)));

        QStringList log;
        g_log = &log;
        QLoggingCategory::setFilterRules(QStringLiteral("*=true"));
        const QtMessageHandler previous = qInstallMessageHandler(capture);

        CellularIf cellular;
        QSignalSpy changes(&cellular, &CellularIf::statusChanged);
        QSignalSpy pin(&cellular, &CellularIf::verifyPINComplete);
        QSignalSpy puk(&cellular, &CellularIf::verifyPUKComplete);
        QSignalSpy change(&cellular, &CellularIf::changePINComplete);
        QSignalSpy enable(&cellular, &CellularIf::enablePINQueryComplete);
        QSignalSpy disable(&cellular, &CellularIf::disablePINQueryComplete);
        QSignalSpy attempts(&cellular, &CellularIf::pinAttemptsLeftComplete);

        // Three wrong PINs block it; the PUK sets a new one.
        for (int i = 0; i < 3; ++i) {
            cellular.verifyPIN(QStringLiteral("2468"));
            QTRY_COMPARE(pin.size(), i + 1);
            cellular.pinAttemptsLeft();
            QTRY_COMPARE(attempts.size(), i + 1);
        }
        QTRY_VERIFY(!changes.isEmpty() && changes.last().at(0).toInt() == 5);
        cellular.verifyPUK(QStringLiteral("80461527"), QStringLiteral("6139"));
        QTRY_COMPARE(puk.size(), 1);
        QCOMPARE(puk.first().at(0).toBool(), true);
        QTRY_VERIFY(changes.last().at(0).toInt() == 0);
        cellular.changePIN(QStringLiteral("6139"), QStringLiteral("5926"));
        QTRY_COMPARE(change.size(), 1);
        QCOMPARE(change.first().at(0).toBool(), true);
        cellular.disablePINQuery(QStringLiteral("5926"));
        QTRY_COMPARE(disable.size(), 1);
        cellular.enablePINQuery(QStringLiteral("5926"));
        QTRY_COMPARE(enable.size(), 1);
        QCOMPARE(enable.first().at(0).toInt(), 0);
        cellular.verifyPIN(QStringLiteral("5926")); // a ready SIM: checked through its lock, still traced
        QTRY_COMPARE(pin.size(), 4);

        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
        g_log = nullptr;

        QVERIFY(log.size() > 20);
        QVERIFY(!log.filter(QStringLiteral("CellularIf::verifyPUK")).isEmpty());
        for (const QString& line : std::as_const(log))
            for (const char* code : { "2468", "7391", "80461527", "6139", "5926" })
                QVERIFY2(!line.contains(QLatin1String(code)), qPrintable(line));
    }
};

QTEST_GUILESS_MAIN(TestCellularIf)
#include "tst_cellularif.moc"
