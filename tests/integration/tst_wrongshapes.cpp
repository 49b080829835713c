#include <DaemonProcess.h>
#include <MockService.h>

#include <platform/emergency/CallHandler.h>

#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QTest>

// Peers answering or signalling with types their interface does not promise:
// each refusal is one log line, and the daemon carries on.
class TestWrongShapes : public QObject
{
    Q_OBJECT

    // payload: the mock's code for a replaced reply (a string), the arguments
    // of a signal (a list), or nothing. Unless given, the refusal is derived.
    static void row(const char* name, const char* path, const char* iface, const char* member,
        const char* sig, const QVariant& payload, QString refusal = {})
    {
        if (refusal.isEmpty())
            refusal = QStringLiteral("%1.%2: expected arguments (")
                          .arg(QLatin1String(iface), QLatin1String(member));
        if (!qstrcmp(sig, "sv"))
            refusal
                = QStringLiteral("property %1: expected a value").arg(payload.toList().value(0).toString());
        QTest::newRow(name) << QVariant(path) << QVariant(iface) << QVariant(member) << QVariant(sig)
                            << payload << QVariant(refusal);
    }
    static void columns()
    {
        for (const char* c : { "path", "iface", "member", "sig", "payload", "refusal" })
            QTest::addColumn<QVariant>(c);
    }
    static QVariant args(const QVariantList& list) { return list; }
    static QVariant cell(const char* column)
    {
        return *static_cast<QVariant*>(QTest::qElementData(column, qMetaTypeId<QVariant>()));
    }

    // Replaces the reply (before) or sends the signal (after the client started).
    static bool provoke(MockService& mock, bool before, const QString& inSig = {})
    {
        const QVariant payload = cell("payload");
        const bool reply = payload.typeId() == QMetaType::QString;
        if (before != reply || !payload.isValid())
            return true;
        QVariantList call { cell("iface").toString(), cell("member").toString(), cell("sig").toString(),
            payload };
        if (reply)
            call.insert(2, inSig); // AddMethod(interface, name, in, out, code)
        const QString control = QLatin1String(reply ? "AddMethod" : "EmitSignal");
        return mock.control(cell("path").toString(), control, call).type() == QDBusMessage::ReplyMessage;
    }

    // Warnings of this process holding the current row's refusal.
    static inline int s_refusals = 0;
    static inline QtMessageHandler s_next = nullptr;
    static void count(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (type == QtWarningMsg && QTest::currentDataTag() && message.contains(cell("refusal").toString()))
            ++s_refusals;
        s_next(type, context, message);
    }

    QScopedPointer<MockService> m_callOfono { new MockService(
        "ofono_sim", "org.ofono", MockService::SystemBus) };

private Q_SLOTS:
    void init()
    {
        s_refusals = 0;
        s_next = qInstallMessageHandler(count);
    }
    void cleanup() { qInstallMessageHandler(s_next); }

    // Against the daemon; the peer follows from the interface.
    void againstDaemon_data()
    {
        columns();
        const auto m = "org.ofono.Manager";
        const auto r0 = "/ril_0";
        row("GetModems a(os)", "/", m, "GetModems", "a(os)", "ret = [(dbus.ObjectPath('/ril_0'), 'x')]");
        row("SIM properties as", r0, "org.ofono.SimManager", "GetProperties", "as", "ret = ['Present']");
        row("ModemAdded without properties", "/", m, "ModemAdded", "o",
            args({ QVariant::fromValue(QDBusObjectPath("/ril_1")) }));
        row("ModemRemoved of a string", "/", m, "ModemRemoved", "s", args({ r0 }));
        row("Retries a string", r0, "org.ofono.SimManager", "PropertyChanged", "sv",
            args({ "Retries", "3" }));
        row("registration change of strings", r0, "org.ofono.NetworkRegistration", "PropertyChanged", "ss",
            args({ "Status", "denied" }));
        // Anyone may own the feedback name while feedbackd is away.
        const auto feedback = "/org/sigxcpu/Feedback";
        row("FeedbackEnded of a string", feedback, "org.sigxcpu.Feedback", "FeedbackEnded", "s",
            args({ "x" }));
        row("TriggerFeedback answering a string", feedback, "org.sigxcpu.Feedback", "TriggerFeedback", "s",
            "ret = 'x'");
        // No payload: the member names pavo's way of answering.
        row("radio states a string", "", "com.vexa.pavo", "wrongtype", "", {},
            "get_radio_states: expected arguments (u), got (s)");
        // Bounded: the daemon answers within the ping's wait, not after 25 s.
        row("hung service", "", "com.vexa.pavo", "hang", "", {},
            "offline status! Error: org.freedesktop.DBus.Error.NoReply");
        row("radio states signal of a string", "/com/vexa/pavo/signal", "com.vexa.pavo.signal",
            "radio_states_ind", "s", args({ "1" }));
    }

    void againstDaemon()
    {
        const QString iface = cell("iface").toString();
        const bool feedback = iface.startsWith(QLatin1String("org.sigxcpu"));
        const bool pavo = iface.startsWith(QLatin1String("com.vexa.pavo"));
        const bool reply = cell("payload").typeId() == QMetaType::QString;
        // A ready SIM, so that the registration is followed too; beside
        // feedbackd a modem that cannot be powered: only that zombie plays at
        // start, only the core keeps listening.
        MockService ofono("ofono_sim", "org.ofono", MockService::SystemBus,
            { { feedback ? "power_fails" : "pin_locked", feedback } });
        QVERIFY(pavo || (feedback && !reply) || ofono.start());
        MockService peer(feedback ? "feedbackd" : "pavo", feedback ? "org.sigxcpu.Feedback" : "com.vexa.pavo",
            feedback ? MockService::SessionBus : MockService::SystemBus,
            cell("payload").isValid() ? QVariantMap {} : QVariantMap { { "answer", cell("member") } });
        QVERIFY(!(feedback || pavo) || peer.start());
        MockService& mock = feedback || pavo ? peer : ofono;

        const QString refusal = cell("refusal").toString();
        QVERIFY(provoke(mock, true, feedback ? "ssa{sv}i" : ""));
        DaemonProcess daemon;
        QVERIFY(daemon.start());
        QVERIFY2(daemon.ping(), qPrintable(daemon.output()));
        QVERIFY(provoke(mock, false));
        QVERIFY2(daemon.waitForOutput(refusal) > 0, qPrintable(daemon.output()));
        QVERIFY(daemon.ping());
        QCOMPARE(daemon.output().count(refusal), 1);
    }

    // Not used by the daemon at start: checked in this process. Its modem
    // client lives as long as the process, so does one oFono; the reply row
    // comes last, its replacement stays.
    void voiceCallManager_data()
    {
        columns();
        const auto r0 = "/ril_0";
        const auto vcm = "org.ofono.VoiceCallManager";
        row("EmergencyNumbers a string", r0, vcm, "PropertyChanged", "sv",
            args({ "EmergencyNumbers", "999" }));
        row("CallAdded without properties", r0, vcm, "CallAdded", "o",
            args({ QVariant::fromValue(QDBusObjectPath(r0)) }));
        row("properties as a list", r0, vcm, "GetProperties", "as", "ret = ['112']");
    }

    void voiceCallManager()
    {
        MockService& ofono = *m_callOfono;
        QVERIFY(ofono.bus().interface()->isServiceRegistered("org.ofono") || ofono.start());
        QVERIFY(provoke(ofono, true));
        Emergency::CallHandler handler;
        QTRY_VERIFY(handler.emergencyNumbers().contains("999") || s_refusals);
        QVERIFY(provoke(ofono, false));
        QTRY_COMPARE(s_refusals, 1);
        QVERIFY(!handler.isCallActive());
    }
};

QTEST_MAIN(TestWrongShapes)
#include "tst_wrongshapes.moc"
