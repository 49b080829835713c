#include <MockService.h>

#include <platform/cellular/MmMapping.h>
#include <platform/cellular/MmModem.h>
#include <platform/cellular/NetworkRegistration.h>
#include <platform/cellular/OfonoMapping.h>
#include <platform/cellular/OfonoModem.h>
#include <platform/cellular/SIMIdentity.h>
#include <query/CellularIf.h>

#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

using namespace Qt::StringLiterals;

using namespace Cellular;
using namespace Cellular::SIM;

// The cellular layer and the SIM service adapter against the simulated oFono
// on a private system bus.
class TestCellular : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MockService> m_ofono;
    const QString m_modem = u"/ril_0"_s;
    const QString m_mmModem = u"/org/freedesktop/ModemManager1/Modem/0"_s;

    bool startOfono(const QVariantMap& params = {})
    {
        m_ofono
            = std::make_unique<MockService>(u"ofono_sim"_s, u"org.ofono"_s, MockService::SystemBus, params);
        return m_ofono->start();
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
    static void settle()
    {
        QDBusConnection::systemBus().interface()->isServiceRegistered(u"org.freedesktop.DBus"_s);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    static QMetaMethod signalNamed(const QObject* object, const QByteArray& name)
    {
        const QMetaObject* mo = object->metaObject();
        for (int i = 0; i < mo->methodCount(); ++i)
            if (mo->method(i).methodType() == QMetaMethod::Signal && mo->method(i).name() == name)
                return mo->method(i);
        return {};
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

    // Every lock oFono names, to SIM status: personalisation locks are
    // "rejected", the second PIN's locks no concern of the boot.
    void ofonoLockMapping_data()
    {
        QTest::addColumn<QString>("required");
        QTest::addColumn<int>("pukTries");
        QTest::addColumn<int>("status");
        for (const char* ready : { "none", "pin2", "puk2" })
            QTest::newRow(ready) << QString::fromLatin1(ready) << 10 << 0;
        for (const char* lock : { "phone", "firstphone", "network", "netsub", "service", "corp",
                 "firstphonepuk", "networkpuk", "netsubpuk", "servicepuk", "corppuk" })
            QTest::newRow(lock) << QString::fromLatin1(lock) << 10 << 6;
        QTest::newRow("pin") << u"pin"_s << 10 << 4;
        QTest::newRow("puk, one try left") << u"puk"_s << 1 << 5;
        QTest::newRow("puk, none left") << u"puk"_s << 0 << 2;
        QTest::newRow("a lock of a newer oFono") << u"sim-x"_s << 10 << 3;
    }

    void ofonoLockMapping()
    {
        QFETCH(QString, required);
        QFETCH(int, pukTries);
        QFETCH(int, status);
        const QVariantMap sim { { u"Present"_s, true }, { u"PinRequired"_s, required },
            { u"Retries"_s, QVariantMap { { u"puk"_s, pukTries } } } };
        QCOMPARE(OfonoMapping::simStatus(true, true, sim), status);
    }

    // Single values a backend reports, to what the daemon compares them with.
    void valueMappings()
    {
        // The PIN query is on exactly when oFono lists "pin" among the locks.
        const auto query = [](const QStringList& locked) {
            return OfonoMapping::pinQuery({ { u"LockedPins"_s, locked } });
        };
        QCOMPARE(query({ u"puk"_s, u"pin"_s }), int(SIMSecurity::QueryEnabled));
        QCOMPARE(query({ u"puk"_s }), int(SIMSecurity::QueryDisabled));
        // ModemManager's registration states: idle, home, searching, denied,
        // unknown, roaming, home and roaming for SMS only.
        const QList<int> registration { 2, 0, 3, 5, -1, 1, 0, 1 };
        for (int state = 0; state < registration.size(); ++state)
            QCOMPARE(MmMapping::registrationStatus(state), registration.at(state));
        const QString me = u"org.freedesktop.ModemManager1.Error.MobileEquipment."_s;
        const QList<std::pair<QString, int>> errors { { me + u"IncorrectPassword"_s, WrongCode },
            { me + u"SimBusy"_s, SimNotReady },
            { u"org.freedesktop.ModemManager1.Error.Core.InProgress"_s, QuietFailure } };
        for (const auto& [name, error] : errors)
            QCOMPARE(MmMapping::simError(name), error);
    }

    void simStatusMapping_data()
    {
        QTest::addColumn<bool>("withOfono");
        QTest::addColumn<QVariantMap>("params");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("expected");

        const QVariantMap none;
        const QVariantMap unlocked { { u"pin_locked"_s, false } };
        QTest::newRow("no oFono") << false << none << QStringList() << -1;
        QTest::newRow("no modem") << true << QVariantMap { { u"modem_absent"_s, true } } << QStringList()
                                  << -1;
        QTest::newRow("SIM interface never up")
            << true << QVariantMap { { u"power_fails"_s, true } } << QStringList() << 3;
        QTest::newRow("SIM interface gone") << true << none << QStringList { "SetModemPowered:false" } << 3;
        QTest::newRow("card out") << true << QVariantMap { { u"sim_present"_s, false } } << QStringList()
                                  << 1;
        QTest::newRow("card taken out") << true << none << QStringList { "SetSimPresent:false" } << 1;
        QTest::newRow("none") << true << unlocked << QStringList() << 0;
        QTest::newRow("pin") << true << none << QStringList() << 4;
        QTest::newRow("puk") << true << none << QStringList { "SetPinRequired:puk" } << 5;
        QTest::newRow("puk, no tries left")
            << true << none << QStringList { "SetRetries:puk:0", "SetPinRequired:puk" } << 2;
        QTest::newRow("modem removed") << true << none << QStringList { "RemoveModem" } << -1;
        QTest::newRow("modem back") << true << none << QStringList { "RemoveModem", "AddModem" } << 4;
        // The first listing outlasts a short wait: it must still bring the modem.
        QTest::newRow("oFono slow at start")
            << true << QVariantMap { { u"start_delay_ms"_s, 3000 } } << QStringList() << 4;
        // oFono going away is "unknown", never a missing card.
        QTest::newRow("oFono leaves") << true << none << QStringList { "Quit" } << -1;
        // The card's lock arrives as a change just before a read that still
        // carries the state before it.
        QTest::newRow("read older than a change")
            << true << QVariantMap { { u"pin_locked"_s, false }, { u"stale_read"_s, u"pin"_s } }
            << QStringList() << 4;
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
        settle();
        SIMStatus status;
        // One answer per check, and no answer is not a state: the check must
        // not flip between evaluations of the same wait.
        const auto settled = [&status] {
            const int s = ask(status);
            return s != 3 && s != -1 && s != -100;
        };
        if (!steps.isEmpty())
            QTRY_VERIFY_WITH_TIMEOUT(settled(), 20000);
        for (const QString& step : steps) {
            if (step == "Quit"_L1)
                m_ofono.reset();
            else
                QVERIFY(m_ofono->step(step));
        }
        QTRY_COMPARE_WITH_TIMEOUT(ask(status), expected, 20000);
        // The card's identity can be read only from a card that is there.
        const bool cardThere = expected != -1 && expected != 1 && expected != 3;
        QCOMPARE(SIMIdentity().isValid(), cardThere);
    }

    // ModemManager's modem properties as they come, to SIM and system-control
    // status: the rows where the card's and the modem's failures must not mix.
    void modemManagerMapping_data()
    {
        QTest::addColumn<QVariantMap>("modem");
        QTest::addColumn<bool>("enableFailed");
        QTest::addColumn<int>("sim");
        QTest::addColumn<int>("system");
        const QString sim = u"/org/freedesktop/ModemManager1/SIM/0"_s;
        auto modem = [&](int state, int lock, const QString& simPath = u"/"_s, int reason = 0) {
            return QVariantMap { { u"State"_s, state }, { u"UnlockRequired"_s, lock }, { u"Sim"_s, simPath },
                { u"StateFailedReason"_s, reason } };
        };
        QVariantMap blocked = modem(2, 4, sim);
        blocked.insert(u"UnlockRetries"_s, QVariantMap { { u"4"_s, 0 } });
        QTest::newRow("locked, PIN") << modem(2, 2, sim) << false << 4 << 0;
        QTest::newRow("locked, PUK") << modem(2, 4, sim) << false << 5 << 0;
        QTest::newRow("PUK used up") << blocked << false << 2 << 0;
        QTest::newRow("network lock") << modem(2, 8, sim) << false << 6 << 0;
        QTest::newRow("unlocked, initializing") << modem(1, 1, sim) << false << 0 << 0;
        QTest::newRow("unlocked, SIM object not yet") << modem(1, 1) << false << 3 << 0;
        QTest::newRow("disabled without a SIM object") << modem(3, 1) << false << 1 << 0;
        QTest::newRow("registered") << modem(8, 1, sim) << false << 0 << 1;
        QTest::newRow("failed, no card") << modem(-1, 0, u"/"_s, 2) << false << 1 << 0;
        QTest::newRow("failed, card broken") << modem(-1, 0, u"/"_s, 3) << false << 2 << 0;
        QTest::newRow("failed, modem") << modem(-1, 0, u"/"_s, 1) << false << 3 << 3;
        QTest::newRow("enable refused") << modem(3, 1, sim) << true << 0 << 3;
    }

    void modemManagerMapping()
    {
        QFETCH(QVariantMap, modem);
        QFETCH(bool, enableFailed);
        QFETCH(int, sim);
        QFETCH(int, system);
        QCOMPARE(MmMapping::simStatus(true, modem), sim);
        QCOMPARE(MmMapping::systemStatus(true, enableFailed, modem), system);
        // No modem is never a failure.
        QCOMPARE(MmMapping::simStatus(false, modem), -1);
        QCOMPARE(MmMapping::systemStatus(false, enableFailed, modem), -1);
    }

    // ModemManager's signals in wrong shapes are dropped, the modem still
    // followed; never demarshalled into types they do not have.
    void modemManagerShapes_data()
    {
        QTest::addColumn<QString>("signal"); // of org.freedesktop.DBus.
        QTest::addColumn<QVariantList>("args"); // the signature first
        QTest::addColumn<int>("sim");
        QTest::addColumn<int>("attempts");
        const QString modem = QString::fromLatin1(MmModem::ModemInterface);
        const QVariantMap unlocked { { u"UnlockRequired"_s, 1u } };
        const QVariantMap retries { { u"UnlockRetries"_s, QVariantMap { { u"2"_s, 3 } } } };
        const QString changed = u"Properties.PropertiesChanged"_s;
        QTest::newRow("no invalidated list")
            << changed << QVariantList { "sa{sv}", modem, unlocked } << 4 << 3;
        QTest::newRow("State not int")
            << changed << QVariantList { "sa{sv}as", modem, QVariantMap { { "State", "8" } }, QStringList() }
            << 3 << 3;
        QTest::newRow("UnlockRetries not a{uu}")
            << changed << QVariantList { "sa{sv}as", modem, retries, QStringList() } << 4 << -1;
        QTest::newRow("removed, one name")
            << u"ObjectManager.InterfacesRemoved"_s
            << QVariantList { "os", QVariant::fromValue(QDBusObjectPath(m_mmModem)), modem } << 4 << 3;
    }

    void modemManagerShapes()
    {
        QFETCH(QString, signal);
        QFETCH(QVariantList, args);
        QFETCH(int, sim);
        QFETCH(int, attempts);
        QTRY_VERIFY(!MmModem::instance()->hasModem()); // the last row's is gone
        MockService mm(u"modemmanager"_s, QString::fromLatin1(MmModem::Service), MockService::SystemBus);
        QVERIFY(mm.start());
        auto modem
            = [] { return MmModem::instance()->properties(QString::fromLatin1(MmModem::ModemInterface)); };
        QTRY_COMPARE(MmMapping::simStatus(MmModem::instance()->hasModem(), modem()), 4);
        const bool manager = signal.startsWith("ObjectManager"_L1);
        QVERIFY(mm.control(manager ? m_mmModem.section(u'/', 0, -3) : m_mmModem, u"EmitSignal"_s,
                      { u"org.freedesktop.DBus."_s + signal.section(u'.', 0, 0), signal.section(u'.', 1),
                          args.takeFirst(), args })
                    .type()
            == QDBusMessage::ReplyMessage);
        settle();
        QCOMPARE(MmMapping::simStatus(MmModem::instance()->hasModem(), modem()), sim);
        QCOMPARE(MmMapping::pinAttempts(modem()), attempts);
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
        QVERIFY(startOfono(
            { { u"pin_locked"_s, false }, { u"reg_status"_s, "searching" }, { u"reg_mode"_s, "manual" } }));
        NetworkRegistration registration;
        QTRY_COMPARE(registration.status(), 3);
        QCOMPARE(registration.mode(), 1);
        QSignalSpy statusSpy(&registration, &NetworkRegistration::statusWithRejectCodeChanged);
        QSignalSpy modeSpy(&registration, &NetworkRegistration::modeChanged);
        for (const QString& step : steps)
            QVERIFY(m_ofono->step(step));
        QTRY_COMPARE(registration.status(), status);
        QTRY_COMPARE(registration.mode(), mode);
        // A denial never claims a reject cause: oFono gives none.
        const QVariantList change { status, -1 };
        QCOMPARE(QList<QVariantList>(statusSpy),
            status == 3 ? QList<QVariantList>() : QList<QVariantList> { change });
        QCOMPARE(modeSpy.size(), mode == 1 ? 0 : 1);
    }

    // One row per path through the layer; a scenario that is an error name
    // is the simulator answering with that error.
    void completions_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<int>("expected");
        const QHash<QString, int> ends { { "success", NoError }, { "ready card", WrongCode },
            { "wrong code", WrongCode }, { "bad format", WrongCode }, { "other code type", OtherFailure },
            { "oFono absent", ServiceUnavailable }, { "SIM not up", ServiceUnavailable }, { "hung", NoReply },
            { "oFono leaves mid-call", NoReply }, { "org.ofono.Error.InProgress", QuietFailure },
            { "org.ofono.Error.IncorrectPassword", WrongCode }, { "org.ofono.Error.Timedout", NoReply },
            { "org.ofono.Error.SimNotReady", SimNotReady }, { "org.ofono.Error.NotAvailable", SimNotReady },
            { "com.example.Error.Odd", OtherFailure } };
        // Codes right and wrong on a real card: tst_ofonotier.
        const QList<std::pair<const char*, QStringList>> rows {
            // hung: the call ends as NoReply after the call timeout
            { "verifyPIN", { "ready card", "other code type", "oFono absent", "hung" } },
            { "verifyPUK", { "bad format", "oFono leaves mid-call" } },
            { "changePIN", { "org.ofono.Error.InProgress" } },
            { "enablePINQuery", { "wrong code", "org.ofono.Error.IncorrectPassword" } },
            { "disablePINQuery", { "SIM not up" } },
            { "pinAttemptsLeft",
                { "success", "oFono absent", "oFono leaves mid-call", "org.ofono.Error.Timedout" } },
            { "pinQueryState", { "success", "SIM not up", "org.ofono.Error.SimNotReady" } },
            { "imsi",
                { "success", "oFono absent", "oFono leaves mid-call", "org.ofono.Error.NotAvailable",
                    "com.example.Error.Odd" } },
        };
        for (const auto& [op, scenarios] : rows)
            for (const QString& scenario : scenarios)
                QTest::addRow("%s %s", op, qPrintable(scenario))
                    << QString::fromLatin1(op) << scenario << ends.value(scenario, -1);
    }

    void completions()
    {
        QFETCH(QString, op);
        QFETCH(QString, scenario);
        QFETCH(int, expected);

        // The card asks for the PIN, for the PUK (no PIN tries left), for
        // nothing (its PIN lock on where the operation needs it), or its
        // interface never comes up.
        const bool puk = op == "verifyPUK"_L1;
        const bool down = scenario == "SIM not up"_L1;
        const bool ready = scenario == "ready card"_L1 || op == "changePIN"_L1;
        const bool pin = op == "verifyPIN"_L1 && !ready;
        QVariantMap params { { u"pin_locked"_s, pin || ready }, { u"power_fails"_s, down } };
        if (puk)
            params.insert(u"pin_retries"_s, 0);
        SIMStatus status;
        if (scenario != "oFono absent"_L1) {
            QVERIFY(startOfono(params));
            QVERIFY(!ready || m_ofono->step(u"SetPinRequired:none"_s));
            QTRY_COMPARE_WITH_TIMEOUT(ask(status), down ? 3 : puk ? 5 : pin ? 4 : 0, 20000);
        }

        const QString method = QHash<QString, QString> {
            { "verifyPIN", "EnterPin" }, { "verifyPUK", "ResetPin" }, { "changePIN", "ChangePin" },
            { "enablePINQuery", "LockPin" }, { "disablePINQuery", "UnlockPin" }
        }.value(op, u"org.ofono.SimManager.GetProperties"_s);
        if (scenario.contains(".Error."_L1))
            QVERIFY(m_ofono->step(u"SetNextError:%1:%2"_s.arg(method, scenario)));
        if (scenario == "oFono leaves mid-call"_L1)
            QVERIFY(m_ofono->step(u"ExitOnNextCall:"_s + method));
        if (scenario == "hung"_L1)
            QVERIFY(m_ofono->step(u"SetReplyDelay:%1"_s.arg(OfonoModem::CallTimeoutMs + 4000)));

        // The simulator's codes; reversed they are wrong, a digit short malformed.
        QString code = puk ? u"12345678"_s : u"1234"_s;
        if (scenario == "wrong code"_L1)
            std::reverse(code.begin(), code.end());
        if (scenario == "bad format"_L1)
            code.chop(1);
        // 1: a value the type can hold (sanitizers check that) but names no code.
        const auto type = SIMSecurity::PINType(scenario == "other code type"_L1 ? 1 : 0);

        SIMSecurity security;
        SIMIdentity identity;
        const QHash<QString, std::function<void()>> calls {
            { "verifyPIN", [&] { security.verifyPIN(type, code); } },
            { "verifyPUK", [&] { security.verifyPUK(SIMSecurity::PukTypePuk, code, u"4321"_s); } },
            { "changePIN", [&] { security.changePIN(type, code, u"5678"_s); } },
            { "enablePINQuery", [&] { security.enablePINQuery(type, code); } },
            { "disablePINQuery", [&] { security.disablePINQuery(type, code); } },
            { "pinAttemptsLeft", [&] { security.pinAttemptsLeft(type); } },
            { "pinQueryState", [&] { security.pinQueryState(type); } },
            { "imsi", [&] { identity.imsi(); } },
        };
        // Each operation answers with the signal named after it.
        QObject* owner = op == "imsi"_L1 ? static_cast<QObject*>(&identity) : &security;
        QSignalSpy spy(owner, signalNamed(owner, op.toLatin1() + "Complete"));
        QVERIFY(spy.isValid());
        calls.value(op)();
        QVERIFY2(spy.isEmpty(), qPrintable(op + u": completion delivered inside the call"_s));
        QVERIFY(spy.wait(OfonoModem::CallTimeoutMs + 5000));
        settle();
        QCOMPARE(spy.size(), 1);
        const QVariantList result = spy.first();
        QCOMPARE(result.last().toInt(), expected);
        if (result.size() == 2 && result.first().metaType().id() == QMetaType::Bool)
            QCOMPARE(result.first().toBool(), expected == 0);
        // A ready card is never asked to check a PIN by a lock call.
        if (scenario == "ready card"_L1)
            QVERIFY(m_ofono->calls(m_modem, u"LockPin"_s).isEmpty());
        // What the reads carry on success and on failure.
        const QHash<QString, QVariantList> values { { "pinAttemptsLeft", { 3, -1 } },
            { "pinQueryState", { int(SIMSecurity::QueryDisabled), -1 } },
            { "imsi", { "244051234567890", "" } } };
        if (values.contains(op))
            QCOMPARE(op == "imsi"_L1 ? result.first() : QVariant(result.first().toInt()),
                values[op].at(expected == 0 ? 0 : 1));
    }

    // The adapter's constructor asks oFono nothing; whatever the platform
    // objects emit reaches its listeners only once control is back in the
    // event loop, with the same values.
    void relaysQueued()
    {
        QVERIFY(startOfono());
        QTRY_VERIFY(OfonoModem::instance()->interfaceReady(QString::fromLatin1(OfonoModem::SimInterface)));
        m_ofono->clearCalls(m_modem);
        CellularIf cellular;
        QSignalSpy statuses(&cellular, &CellularIf::statusComplete);
        settle();
        QVERIFY2(m_ofono->calls(m_modem, u"GetProperties"_s).isEmpty() && statuses.isEmpty(),
            "the adapter's constructor asked for the SIM's state");
        const QList<QObject*> sources { cellular.findChild<SIMSecurity*>(),
            cellular.findChild<SIMStatus*>() };
        QVERIFY(sources.at(0) && sources.at(1));
        const QMetaObject* mo = &CellularIf::staticMetaObject;
        for (int i = mo->methodOffset(); i < mo->methodCount(); ++i) {
            const QMetaMethod relayed = mo->method(i);
            if (relayed.methodType() != QMetaMethod::Signal)
                continue;
            const QByteArray name = relayed.name();
            QObject* source = signalNamed(sources.at(0), name).isValid() ? sources.at(0) : sources.at(1);
            const QMetaMethod original = signalNamed(source, name);
            QVERIFY2(original.isValid(), (name + " has no source").constData());
            // Arguments 1, 2: neither is a type's default, both are values
            // of every enumeration here (sanitizers check that).
            QVariantList args;
            for (int p = 0; p < original.parameterCount(); ++p) {
                args << QVariant(p + 1);
                QVERIFY(args.last().convert(original.parameterMetaType(p)));
            }
            QSignalSpy spy(&cellular, relayed);
            QVERIFY(original.invoke(source, Qt::DirectConnection,
                QGenericArgument(args.value(0).typeName(), args.value(0).constData()),
                QGenericArgument(args.value(1).typeName(), args.value(1).constData())));
            QVERIFY2(spy.isEmpty(), (name + " relayed synchronously, not queued").constData());
            QVERIFY2(spy.wait(1000), (name + " not relayed").constData());
            QCOMPARE(spy.takeFirst(), args);
        }
    }
};

QTEST_GUILESS_MAIN(TestCellular)
#include "tst_cellular.moc"
