#include <MockService.h>

#include <platform/cellular/NetworkRegistration.h>
#include <platform/cellular/OfonoMapping.h>
#include <platform/cellular/OfonoModem.h>
#include <platform/cellular/SIMIdentity.h>
#include <platform/cellular/SIMSecurity.h>
#include <platform/cellular/SIMStatus.h>

#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>

using namespace Cellular;
using namespace Cellular::SIM;

// The cellular layer against the simulated oFono on a private system bus.
class TestCellular : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MockService> m_ofono;
    const QString m_modem = QStringLiteral("/ril_0");

    bool startOfono(const QVariantMap& params = {})
    {
        m_ofono = std::make_unique<MockService>(
            QStringLiteral("ofono_sim"), QStringLiteral("org.ofono"), MockService::SystemBus, params);
        return m_ofono->start();
    }

    // "Method:arg:arg" with booleans and small numbers typed as the mock wants.
    bool control(const QString& step)
    {
        const QStringList parts = step.split(QLatin1Char(':'));
        QVariantList args;
        for (const QString& part : parts.mid(1)) {
            bool isNumber = false;
            const uint number = part.toUInt(&isNumber);
            if (part == QLatin1String("true") || part == QLatin1String("false"))
                args << (part == QLatin1String("true"));
            else if (isNumber && parts.first() == QLatin1String("SetRetries"))
                args << QVariant::fromValue(uchar(number));
            else if (isNumber)
                args << number;
            else
                args << part;
        }
        const QDBusMessage reply = m_ofono->control(QStringLiteral("/"), parts.first(), args);
        if (reply.type() != QDBusMessage::ReplyMessage)
            qWarning("%s: %s", qPrintable(step), qPrintable(reply.errorMessage()));
        return reply.type() == QDBusMessage::ReplyMessage;
    }

    static int ask(SIMStatus& status)
    {
        QSignalSpy spy(&status, &SIMStatus::statusComplete);
        status.status();
        // Answered inside the call: fail at once rather than wait for a
        // signal that has already come.
        if (!spy.isEmpty() && !QTest::currentTestFailed())
            QTest::qFail("statusComplete delivered inside status(), not queued", __FILE__, __LINE__);
        if (spy.isEmpty() && !spy.wait(5000))
            return -100;
        return spy.first().at(0).toInt();
    }

    // Everything the layer could still deliver has been delivered: a round
    // trip over the bus, then the events it queued.
    void settle()
    {
        QDBusConnection::systemBus().interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus"));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

private Q_SLOTS:
    void init()
    {
        // The shared connection starts (blocking, bounded) with no oFono.
        OfonoModem::instance();
    }

    void cleanup()
    {
        m_ofono.reset();
        QTRY_VERIFY(!OfonoModem::instance()->hasModem());
    }

    void simStatusMapping_data()
    {
        QTest::addColumn<bool>("withOfono");
        QTest::addColumn<QVariantMap>("params");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("expected");

        const QVariantMap none;
        const QVariantMap unlocked { { QStringLiteral("pin_locked"), false } };
        QTest::newRow("no oFono") << false << none << QStringList() << -1;
        QTest::newRow("no modem") << true << QVariantMap { { QStringLiteral("modem_absent"), true } }
                                  << QStringList() << -1;
        QTest::newRow("SIM interface never up")
            << true << QVariantMap { { QStringLiteral("power_fails"), true } } << QStringList() << 3;
        QTest::newRow("SIM interface gone") << true << none << QStringList { "SetModemPowered:false" } << 3;
        QTest::newRow("card out") << true << QVariantMap { { QStringLiteral("sim_present"), false } }
                                  << QStringList() << 1;
        QTest::newRow("card taken out") << true << none << QStringList { "SetSimPresent:false" } << 1;
        QTest::newRow("none") << true << unlocked << QStringList() << 0;
        QTest::newRow("pin") << true << none << QStringList() << 4;
        QTest::newRow("puk") << true << none << QStringList { "SetPinRequired:puk" } << 5;
        QTest::newRow("puk, no tries left")
            << true << none << QStringList { "SetRetries:puk:0", "SetPinRequired:puk" } << 2;
        QTest::newRow("pin2") << true << unlocked << QStringList { "SetPinRequired:pin2" } << 0;
        QTest::newRow("phone") << true << unlocked << QStringList { "SetPinRequired:phone" } << 6;
        QTest::newRow("modem removed") << true << none << QStringList { "RemoveModem" } << -1;
        QTest::newRow("modem back") << true << none << QStringList { "RemoveModem", "AddModem" } << 4;
        // oFono going away is "unknown", never a missing card.
        QTest::newRow("oFono leaves") << true << none << QStringList { "Quit" } << -1;
        QTest::newRow("PIN accepted behind our back")
            << true << none << QStringList { "SetPinRequired:none" } << 0;
    }

    void simStatusMapping()
    {
        QFETCH(bool, withOfono);
        QFETCH(QVariantMap, params);
        QFETCH(QStringList, steps);
        QFETCH(int, expected);

        if (withOfono)
            QVERIFY(startOfono(params));
        SIMStatus status;
        if (withOfono && steps.isEmpty() && expected == -1) {
            QTRY_VERIFY(
                OfonoModem::instance()->bus().interface()->isServiceRegistered(QStringLiteral("org.ofono")));
            settle();
        }
        if (!steps.isEmpty())
            QTRY_VERIFY(ask(status) != 3 && ask(status) != -1);
        for (const QString& step : steps) {
            if (step == QLatin1String("Quit"))
                m_ofono.reset();
            else
                QVERIFY(control(step));
        }
        QTRY_COMPARE(ask(status), expected);
    }

    void errorMapping_data()
    {
        QTest::addColumn<QString>("errorName");
        QTest::addColumn<int>("expected");
        QTest::newRow("Failed") << "org.ofono.Error.Failed" << 7;
        QTest::newRow("InvalidFormat") << "org.ofono.Error.InvalidFormat" << 7;
        QTest::newRow("IncorrectPassword") << "org.ofono.Error.IncorrectPassword" << 7;
        QTest::newRow("InProgress") << "org.ofono.Error.InProgress" << 8;
        QTest::newRow("NoReply") << "org.freedesktop.DBus.Error.NoReply" << 3;
        QTest::newRow("ofono Timedout") << "org.ofono.Error.Timedout" << 3;
        QTest::newRow("ServiceUnknown") << "org.freedesktop.DBus.Error.ServiceUnknown" << 2;
        QTest::newRow("UnknownMethod") << "org.freedesktop.DBus.Error.UnknownMethod" << 2;
        QTest::newRow("SimNotReady") << "org.ofono.Error.SimNotReady" << 4;
        QTest::newRow("NotAvailable") << "org.ofono.Error.NotAvailable" << 4;
        QTest::newRow("NotImplemented") << "org.ofono.Error.NotImplemented" << 1;
        QTest::newRow("unheard of") << "com.example.Error.Odd" << 1;
    }

    void errorMapping()
    {
        QFETCH(QString, errorName);
        QFETCH(int, expected);
        QVERIFY(startOfono());
        SIMStatus status;
        QTRY_COMPARE(ask(status), 4);
        QVERIFY(control(QStringLiteral("SetNextError:EnterPin:") + errorName));
        SIMSecurity security;
        QSignalSpy done(&security, &SIMSecurity::verifyPINComplete);
        security.verifyPIN(SIMSecurity::PinTypePin, QStringLiteral("1234"));
        QVERIFY(done.wait());
        QCOMPARE(done.first().at(0).toBool(), false);
        QCOMPARE(done.first().at(1).toInt(), expected);
    }

    void registrationMapping_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("mode");
        QTest::newRow("registered") << QStringList { "SetRegistration:registered:auto" } << 0 << 0;
        QTest::newRow("roaming") << QStringList { "SetRegistration:roaming:auto" } << 1 << 0;
        QTest::newRow("unregistered") << QStringList { "SetRegistration:unregistered:auto" } << 2 << 0;
        QTest::newRow("searching") << QStringList { "SetRegistration:searching:auto" } << 3 << 0;
        QTest::newRow("denied") << QStringList { "SetRegistration:denied:auto" } << 5 << 0;
        QTest::newRow("unknown") << QStringList { "SetRegistration:unknown:auto" } << -1 << 0;
        QTest::newRow("manual") << QStringList { "SetRegistration:registered:manual" } << 0 << 1;
        QTest::newRow("auto-only") << QStringList { "SetRegistration:registered:auto-only" } << 0 << 2;
        QTest::newRow("interface down") << QStringList { "SetModemOnline:false" } << -1 << -1;
    }

    void registrationMapping()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, status);
        QFETCH(int, mode);
        QVERIFY(startOfono({ { QStringLiteral("pin_locked"), false },
            { QStringLiteral("reg_status"), "searching" }, { QStringLiteral("reg_mode"), "manual" } }));
        NetworkRegistration registration;
        QTRY_COMPARE(registration.status(), 3);
        QCOMPARE(registration.mode(), 1);
        QSignalSpy statusSpy(&registration, &NetworkRegistration::statusWithRejectCodeChanged);
        QSignalSpy modeSpy(&registration, &NetworkRegistration::modeChanged);
        for (const QString& step : steps)
            QVERIFY(control(step));
        QTRY_COMPARE(registration.status(), status);
        QTRY_COMPARE(registration.mode(), mode);
        if (status == 3) {
            QCOMPARE(statusSpy.size(), 0);
            return;
        }
        QCOMPARE(statusSpy.size(), 1);
        QCOMPARE(statusSpy.first(), (QVariantList { status, OfonoMapping::NoRejectCause }));
        QCOMPARE(modeSpy.size(), mode == 1 ? 0 : 1);
        // A denial never claims one of the causes that have dialogs of their own.
        QVERIFY(!QList<int>({ 0, 1, 4 }).contains(statusSpy.first().at(1).toInt()));
    }

    void completions_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<int>("expected");

        const QStringList codeOps { "verifyPIN", "verifyPUK", "changePIN", "enablePINQuery",
            "disablePINQuery" };
        const QStringList readOps { "pinAttemptsLeft", "pinQueryState", "imsi" };
        QTest::newRow("status success") << QStringLiteral("status") << QStringLiteral("success") << 0;
        for (const QString& op : codeOps + readOps) {
            const bool code = codeOps.contains(op);
            auto row = [&](const char* scenario, int expected) {
                QTest::addRow("%s %s", qPrintable(op), scenario)
                    << op << QString::fromLatin1(scenario) << expected;
            };
            row("success", 0);
            if (code) {
                row("wrong code", 7);
                row("bad format", 7);
            }
            row("in progress", 8);
            row("oFono absent", 2);
            row("no modem", 2);
            row("SIM not up", 2);
            row("oFono leaves mid-call", 3);
        }
    }

    void completions()
    {
        QFETCH(QString, op);
        QFETCH(QString, scenario);
        QFETCH(int, expected);

        QVariantMap params { { QStringLiteral("pin_locked"), op == QLatin1String("verifyPIN") } };
        if (scenario == QLatin1String("no modem"))
            params.insert(QStringLiteral("modem_absent"), true);
        if (scenario == QLatin1String("SIM not up"))
            params.insert(QStringLiteral("power_fails"), true);
        if (scenario != QLatin1String("oFono absent")) {
            QVERIFY(startOfono(params));
            QTRY_VERIFY(
                OfonoModem::instance()->bus().interface()->isServiceRegistered(QStringLiteral("org.ofono")));
        }
        SIMStatus status;
        if (!params.contains(QStringLiteral("modem_absent"))
            && !params.contains(QStringLiteral("power_fails")) && m_ofono) {
            QTRY_COMPARE(ask(status), op == QLatin1String("verifyPIN") ? 4 : 0);
            if (op == QLatin1String("verifyPUK")) {
                QVERIFY(control(QStringLiteral("SetPinRequired:puk")));
                QTRY_COMPARE(ask(status), 5);
            }
        } else {
            settle();
        }

        const QHash<QString, QString> methods { { "verifyPIN", "EnterPin" }, { "verifyPUK", "ResetPin" },
            { "changePIN", "ChangePin" }, { "enablePINQuery", "LockPin" },
            { "disablePINQuery", "UnlockPin" } };
        const QString method = methods.value(op, QStringLiteral("org.ofono.SimManager.GetProperties"));
        if (scenario == QLatin1String("in progress"))
            QVERIFY(control(QStringLiteral("SetNextError:%1:org.ofono.Error.InProgress").arg(method)));
        if (scenario == QLatin1String("oFono leaves mid-call"))
            QVERIFY(control(QStringLiteral("ExitOnNextCall:") + method));

        const bool wrong = scenario == QLatin1String("wrong code");
        const bool malformed = scenario == QLatin1String("bad format");
        const QString pin = malformed ? QStringLiteral("12")
            : wrong                   ? QStringLiteral("9999")
                                      : QStringLiteral("1234");
        const QString puk = malformed ? QStringLiteral("1234567")
            : wrong                   ? QStringLiteral("87654321")
                                      : QStringLiteral("12345678");

        SIMSecurity security;
        SIMIdentity identity;
        const auto pinType = SIMSecurity::PinTypePin;
        const QHash<QString, std::function<void()>> calls {
            { "verifyPIN", [&] { security.verifyPIN(pinType, pin); } },
            { "verifyPUK",
                [&] { security.verifyPUK(SIMSecurity::PukTypePuk, puk, QStringLiteral("4321")); } },
            { "changePIN", [&] { security.changePIN(pinType, pin, QStringLiteral("5678")); } },
            { "enablePINQuery", [&] { security.enablePINQuery(pinType, pin); } },
            { "disablePINQuery", [&] { security.disablePINQuery(pinType, pin); } },
            { "pinAttemptsLeft", [&] { security.pinAttemptsLeft(pinType); } },
            { "pinQueryState", [&] { security.pinQueryState(pinType); } },
            { "imsi", [&] { identity.imsi(); } },
            { "status", [&] { status.status(); } },
        };
        // Each operation answers with the signal named after it.
        QObject* owner = op == QLatin1String("imsi") ? static_cast<QObject*>(&identity)
            : op == QLatin1String("status")          ? static_cast<QObject*>(&status)
                                                     : &security;
        const QByteArray signal = op.toLatin1() + "Complete";
        QMetaMethod completion;
        for (int i = 0; i < owner->metaObject()->methodCount(); ++i)
            if (owner->metaObject()->method(i).name() == signal)
                completion = owner->metaObject()->method(i);
        auto spy = std::make_unique<QSignalSpy>(owner, completion);
        QVERIFY(spy->isValid());
        calls.value(op)();
        QVERIFY2(spy->isEmpty(), qPrintable(op + QStringLiteral(": completion delivered inside the call")));
        QVERIFY(spy->wait(OfonoModem::CallTimeoutMs + 5000));
        settle();
        QCOMPARE(spy->size(), 1);
        const QVariantList result = spy->first();
        QCOMPARE(result.last().toInt(), expected);
        if (result.size() == 2 && result.first().metaType().id() == QMetaType::Bool)
            QCOMPARE(result.first().toBool(), expected == 0);
        if (op == QLatin1String("pinAttemptsLeft"))
            QCOMPARE(result.first().toInt(), expected == 0 ? 3 : -1);
        if (op == QLatin1String("pinQueryState"))
            QCOMPARE(result.first().toInt(),
                expected == 0 ? int(SIMSecurity::QueryDisabled) : int(SIMSecurity::QueryStateUnknown));
        if (op == QLatin1String("imsi"))
            QCOMPARE(
                result.first().toString(), expected == 0 ? QStringLiteral("244051234567890") : QString());
    }

    // A hung oFono: each call ends as NoReply after the call timeout.
    void timeoutIsAFailure()
    {
        QVERIFY(startOfono({ { QStringLiteral("pin_locked"), false } }));
        SIMStatus status;
        QTRY_COMPARE(ask(status), 0);
        QVERIFY(control(QStringLiteral("SetReplyDelay:%1").arg(OfonoModem::CallTimeoutMs + 4000)));
        SIMSecurity security;
        SIMIdentity identity;
        QSignalSpy verify(&security, &SIMSecurity::verifyPINComplete);
        QSignalSpy attempts(&security, &SIMSecurity::pinAttemptsLeftComplete);
        QSignalSpy imsi(&identity, &SIMIdentity::imsiComplete);
        // All at once: the mock sleeps through each in turn.
        security.verifyPIN(SIMSecurity::PinTypePin, QStringLiteral("1234"));
        security.pinAttemptsLeft(SIMSecurity::PinTypePin);
        identity.imsi();
        for (QSignalSpy* spy : { &verify, &attempts, &imsi }) {
            QTRY_COMPARE_WITH_TIMEOUT(spy->size(), 1, OfonoModem::CallTimeoutMs + 5000);
            QCOMPARE(spy->first().last().toInt(), int(NoReply));
        }
        QCOMPARE(verify.first().first().toBool(), false);
        // The mock is asleep; do not wait for it to leave politely.
        m_ofono.reset();
    }

    // A ready card has no EnterPin: its PIN is checked by keeping its lock
    // as it is. A wrong one is refused, a right one changes nothing.
    void verifyPinOnReadySim_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QString>("pin");
        QTest::newRow("locked, right") << true << "1234";
        QTest::newRow("locked, wrong") << true << "4321";
        QTest::newRow("unlocked, right") << false << "1234";
        QTest::newRow("unlocked, wrong") << false << "4321";
    }

    void verifyPinOnReadySim()
    {
        QFETCH(bool, locked);
        QFETCH(QString, pin);
        QVERIFY(startOfono({ { QStringLiteral("pin_locked"), locked } }));
        if (locked)
            QVERIFY(control(QStringLiteral("SetPinRequired:none")));
        SIMStatus status;
        QTRY_COMPARE(ask(status), 0);
        m_ofono->clearCalls(m_modem);
        SIMSecurity security;
        QSignalSpy verify(&security, &SIMSecurity::verifyPINComplete);
        security.verifyPIN(SIMSecurity::PinTypePin, pin);
        QVERIFY(verify.wait());
        const bool right = pin == QLatin1String("1234");
        QCOMPARE(verify.first().at(0).toBool(), right);
        QCOMPARE(verify.first().at(1).toInt(), right ? int(NoError) : int(WrongCode));
        QCOMPARE(m_ofono->calls(m_modem, locked ? QStringLiteral("LockPin") : QStringLiteral("UnlockPin")),
            (QList<QVariantList> { { QStringLiteral("pin"), pin } }));
        QVERIFY(m_ofono->calls(m_modem, QStringLiteral("EnterPin")).isEmpty());
        QSignalSpy state(&security, &SIMSecurity::pinQueryStateComplete);
        security.pinQueryState(SIMSecurity::PinTypePin);
        QVERIFY(state.wait());
        QCOMPARE(state.first().at(0).toInt(),
            int(locked ? SIMSecurity::QueryEnabled : SIMSecurity::QueryDisabled));
    }

    void otherCodeTypesAreRefused()
    {
        QVERIFY(startOfono());
        SIMStatus status;
        QTRY_COMPARE(ask(status), 4);
        m_ofono->clearCalls(m_modem);
        SIMSecurity security;
        QSignalSpy verify(&security, &SIMSecurity::verifyPINComplete);
        security.verifyPIN(SIMSecurity::PINType(3), QStringLiteral("1234"));
        QCOMPARE(verify.size(), 0);
        QVERIFY(verify.wait());
        QCOMPARE(verify.first().at(0).toBool(), false);
        QCOMPARE(verify.first().at(1).toInt(), int(OtherFailure));
        QVERIFY(m_ofono->calls(m_modem, QStringLiteral("EnterPin")).isEmpty());
    }

    void identityValidity()
    {
        QVERIFY(startOfono());
        SIMIdentity identity;
        QTRY_VERIFY(identity.isValid());
        QVERIFY(control(QStringLiteral("SetSimPresent:false")));
        QTRY_VERIFY(!identity.isValid());
        m_ofono.reset();
        QTRY_VERIFY(!identity.isValid());
    }
};

QTEST_GUILESS_MAIN(TestCellular)
#include "tst_cellular.moc"
