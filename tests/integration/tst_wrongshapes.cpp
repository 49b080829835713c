#include <DaemonProcess.h>
#include <MockService.h>

#include <platform/emergency/CallHandler.h>
#include <platform/tarn/Notification.h>

#include <QDBusObjectPath>
#include <QTest>

// Peers that answer or signal with D-Bus types other than their interface
// promises: each refusal is one log line, and the daemon carries on.
class TestWrongShapes : public QObject
{
    Q_OBJECT

private:
    // What a row makes the peer do: replace a method's reply (before the
    // daemon asks) or send a signal (once it runs).
    struct Provocation
    {
        QString path;
        QString interface;
        QString member;
        QString signature;
        QVariant payload; // reply code (a string), signal arguments (a list) or nothing
        QString inSignature = {};
        bool isReply() const { return payload.metaType().id() == QMetaType::QString; }
        bool isSignal() const { return payload.metaType().id() == QMetaType::QVariantList; }
    };

    static void addColumns()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("interface");
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("signature");
        QTest::addColumn<QVariant>("payload");
        QTest::addColumn<QString>("refusal");
    }

    static Provocation fetched()
    {
        QFETCH(QString, path);
        QFETCH(QString, interface);
        QFETCH(QString, member);
        QFETCH(QString, signature);
        QFETCH(QVariant, payload);
        return { path, interface, member, signature, payload };
    }

    static bool replaceReply(MockService& mock, const Provocation& p)
    {
        return mock.control(p.path, QStringLiteral("AddMethod"),
                       { p.interface, p.member, p.inSignature, p.signature, p.payload.toString() })
                   .type()
            == QDBusMessage::ReplyMessage;
    }

    static bool emitSignal(MockService& mock, const Provocation& p)
    {
        return mock.control(p.path, QStringLiteral("EmitSignal"),
                       { p.interface, p.member, p.signature, p.payload.toList() })
                   .type()
            == QDBusMessage::ReplyMessage;
    }

    // Drives the real daemon against `mock`: the refusal is logged exactly
    // once and the daemon still answers on the session bus.
    static void provokeDaemon(MockService& mock, const Provocation& p, const QString& refusal)
    {
        if (p.isReply())
            QVERIFY(replaceReply(mock, p));
        DaemonProcess daemon;
        QVERIFY(daemon.start());
        QVERIFY2(daemon.ping(), qPrintable(daemon.output()));
        if (p.isSignal())
            QVERIFY(emitSignal(mock, p));
        QVERIFY2(daemon.waitForOutput(refusal) > 0, qPrintable(daemon.output()));
        QVERIFY(daemon.ping());
        QCOMPARE(daemon.process().state(), QProcess::Running);
        QCOMPARE(daemon.output().count(refusal), 1);
    }

    // Warnings of this process that contain s_refusal.
    static inline QString s_refusal;
    static inline int s_refusals = 0;
    static inline QtMessageHandler s_previous = nullptr;
    static void countRefusals(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (type == QtWarningMsg && message.contains(s_refusal))
            ++s_refusals;
        s_previous(type, context, message);
    }
    static void watchFor(const QString& refusal)
    {
        s_refusal = refusal;
        s_refusals = 0;
    }

    static QVariant args(const QVariantList& list) { return list; }
    static QDBusObjectPath modem() { return QDBusObjectPath(QStringLiteral("/ril_0")); }

    QScopedPointer<MockService> m_ofono;
    QScopedPointer<MockService> m_callOfono;

private Q_SLOTS:
    void initTestCase() { s_previous = qInstallMessageHandler(countRefusals); }

    void cleanup() { m_ofono.reset(); }

    void ofono_data()
    {
        addColumns();
        const QString m = QStringLiteral("org.ofono.Manager");
        const QString modem = QStringLiteral("org.ofono.Modem");
        const QString sim = QStringLiteral("org.ofono.SimManager");
        const QString netreg = QStringLiteral("org.ofono.NetworkRegistration");
        const QString changed = QStringLiteral("PropertyChanged");
        const QString r0 = QStringLiteral("/ril_0");
        auto row = [](const char* name, const QString& path, const QString& iface, const QString& member,
                       const char* sig, const QVariant& payload, const char* refusal) {
            QTest::newRow(name) << path << iface << member << sig << payload << refusal;
        };
        row("GetModems ao", "/", m, "GetModems", "ao", "ret = [dbus.ObjectPath('/ril_0')]",
            "org.ofono.Manager.GetModems: expected arguments (a(oa{sv})), got (ao)");
        row("GetModems a(os)", "/", m, "GetModems", "a(os)", "ret = [(dbus.ObjectPath('/ril_0'), 'x')]",
            "org.ofono.Manager.GetModems: expected arguments (a(oa{sv})), got (a(os))");
        row("SIM properties as", r0, sim, "GetProperties", "as", "ret = ['Present']",
            "org.ofono.SimManager.GetProperties: expected arguments (a{sv}), got (as)");
        row("ModemAdded without properties", "/", m, "ModemAdded", "o",
            args({ QVariant::fromValue(QDBusObjectPath(QStringLiteral("/ril_1"))) }),
            "org.ofono.Manager.ModemAdded: expected arguments (oa{sv}), got (o)");
        row("ModemRemoved as a string", "/", m, "ModemRemoved", "s", args({ r0 }),
            "org.ofono.Manager.ModemRemoved: expected arguments (o), got (s)");
        row("modem change with a container", r0, modem, changed, "sa{sv}",
            args({ QStringLiteral("Powered"), QVariantMap {} }),
            "org.ofono.Modem.PropertyChanged: expected arguments (sv), got (sa{sv})");
        row("Powered a string", r0, modem, changed, "sv",
            args({ QStringLiteral("Powered"), QStringLiteral("no") }),
            "oFono property Powered: expected a value of type b, got s");
        row("SIM change without value", r0, sim, changed, "s", args({ QStringLiteral("Present") }),
            "org.ofono.SimManager.PropertyChanged: expected arguments (sv), got (s)");
        row("Present a string", r0, sim, changed, "sv",
            args({ QStringLiteral("Present"), QStringLiteral("no") }),
            "oFono property Present: expected a value of type b, got s");
        row("PinRequired a boolean", r0, sim, changed, "sv", args({ QStringLiteral("PinRequired"), true }),
            "oFono property PinRequired: expected a value of type s, got b");
        row("LockedPins a string", r0, sim, changed, "sv",
            args({ QStringLiteral("LockedPins"), QStringLiteral("pin") }),
            "oFono property LockedPins: expected a value of type as, got s");
        row("Retries a string", r0, sim, changed, "sv",
            args({ QStringLiteral("Retries"), QStringLiteral("3") }),
            "oFono property Retries: expected a value of type a{sy}, got s");
        row("registration change of two strings", r0, netreg, changed, "ss",
            args({ QStringLiteral("Status"), QStringLiteral("denied") }),
            "org.ofono.NetworkRegistration.PropertyChanged: expected arguments (sv), got (ss)");
        row("Status a number", r0, netreg, changed, "sv", args({ QStringLiteral("Status"), 5u }),
            "oFono property Status: expected a value of type s, got u");
    }

    void ofono()
    {
        QFETCH(QString, refusal);
        // A ready SIM, so that the registration is followed too.
        m_ofono.reset(new MockService(QStringLiteral("ofono_sim"), QStringLiteral("org.ofono"),
            MockService::SystemBus, { { QStringLiteral("pin_locked"), false } }));
        QVERIFY(m_ofono->start());
        provokeDaemon(*m_ofono, fetched(), refusal);
    }

    void feedbackd_data()
    {
        addColumns();
        const QString path = QStringLiteral("/org/sigxcpu/Feedback");
        const QString iface = QStringLiteral("org.sigxcpu.Feedback");
        QTest::newRow("FeedbackEnded of a string")
            << path << iface << "FeedbackEnded"
            << "s" << args({ QStringLiteral("x") })
            << "org.sigxcpu.Feedback.FeedbackEnded: expected arguments (uu), got (s)";
        QTest::newRow("FeedbackEnded without reason")
            << path << iface << "FeedbackEnded"
            << "u" << args({ 1u }) << "org.sigxcpu.Feedback.FeedbackEnded: expected arguments (uu), got (u)";
        // Only the zombie's alert plays at start.
        QTest::newRow("TriggerFeedback answering a string")
            << path << iface << "TriggerFeedback"
            << "s" << QVariant(QStringLiteral("ret = 'x'"))
            << "org.sigxcpu.Feedback.TriggerFeedback: expected arguments (u), got (s)";
    }

    // Anyone may own the feedback name while feedbackd is away.
    void feedbackd()
    {
        QFETCH(QString, refusal);
        Provocation p = fetched();
        p.inSignature = QStringLiteral("ssa{sv}i");
        if (p.isReply()) {
            m_ofono.reset(new MockService(QStringLiteral("ofono_sim"), QStringLiteral("org.ofono"),
                MockService::SystemBus, { { QStringLiteral("power_fails"), true } }));
            QVERIFY(m_ofono->start());
        }
        MockService feedbackd(
            QStringLiteral("feedbackd"), QStringLiteral("org.sigxcpu.Feedback"), MockService::SessionBus);
        QVERIFY(feedbackd.start());
        provokeDaemon(feedbackd, p, refusal);
    }

    void pavo_data()
    {
        addColumns();
        const QString request = QStringLiteral("/com/vexa/pavo/request");
        const QString signal = QStringLiteral("/com/vexa/pavo/signal");
        const QString iface = QStringLiteral("com.vexa.pavo.signal");
        QTest::newRow("radio states a string")
            << request << QString() << "wrongtype" << QString() << QVariant()
            << "com.vexa.pavo.get_radio_states: expected arguments (u), got (s)";
        // Bounded: the daemon answers within the ping's wait, not after 25 s.
        QTest::newRow("hung service")
            << request << QString() << "hang" << QString() << QVariant()
            << "Can't get offline status! Error: org.freedesktop.DBus.Error.NoReply";
        QTest::newRow("radio states signal of a string")
            << signal << iface << "radio_states_ind"
            << "s" << args({ QStringLiteral("1") })
            << "com.vexa.pavo.radio_states_ind: expected arguments (u), got (s)";
        QTest::newRow("call state signal of one string")
            << signal << iface << "sig_call_state_ind"
            << "s" << args({ QStringLiteral("none") })
            << "com.vexa.pavo.sig_call_state_ind: expected arguments (ss), got (s)";
    }

    void pavo()
    {
        QFETCH(QString, refusal);
        const Provocation p = fetched();
        QVariantMap params;
        // Rows without a payload pick the service's own way of answering.
        if (!p.payload.isValid())
            params.insert(QStringLiteral("answer"), p.member);
        MockService pavo(
            QStringLiteral("pavo"), QStringLiteral("com.vexa.pavo"), MockService::SystemBus, params);
        QVERIFY(pavo.start());
        provokeDaemon(pavo, p, refusal);
    }

    // The call manager is not used by the daemon at start: its client is
    // checked in this process. The reply row comes last, its replacement stays.
    void voiceCallManager_data()
    {
        addColumns();
        const QString vcm = QStringLiteral("org.ofono.VoiceCallManager");
        const QString r0 = QStringLiteral("/ril_0");
        QTest::newRow("change with a container")
            << r0 << vcm << "PropertyChanged"
            << "sa{sv}" << args({ QStringLiteral("EmergencyNumbers"), QVariantMap {} })
            << "org.ofono.VoiceCallManager.PropertyChanged: expected arguments (sv), got (sa{sv})";
        QTest::newRow("EmergencyNumbers a string")
            << r0 << vcm << "PropertyChanged"
            << "sv" << args({ QStringLiteral("EmergencyNumbers"), QStringLiteral("999") })
            << "oFono property EmergencyNumbers: expected a value of type as, got s";
        QTest::newRow("CallAdded without properties")
            << r0 << vcm << "CallAdded"
            << "o" << args({ QVariant::fromValue(modem()) })
            << "org.ofono.VoiceCallManager.CallAdded: expected arguments (oa{sv}), got (o)";
        QTest::newRow("CallRemoved of a string")
            << r0 << vcm << "CallRemoved"
            << "s" << args({ r0 })
            << "org.ofono.VoiceCallManager.CallRemoved: expected arguments (o), got (s)";
        QTest::newRow("properties as a list")
            << r0 << vcm << "GetProperties"
            << "as" << QVariant(QStringLiteral("ret = ['112']"))
            << "org.ofono.VoiceCallManager.GetProperties: expected arguments (a{sv}), got (as)";
    }

    void voiceCallManager()
    {
        QFETCH(QString, refusal);
        const Provocation p = fetched();
        // One oFono for all rows: the modem client lives as long as the process.
        if (!m_callOfono) {
            m_callOfono.reset(new MockService(
                QStringLiteral("ofono_sim"), QStringLiteral("org.ofono"), MockService::SystemBus));
            QVERIFY(m_callOfono->start());
        }
        MockService& ofono = *m_callOfono;
        watchFor(refusal);
        if (p.isReply())
            QVERIFY(replaceReply(ofono, p));
        Emergency::CallHandler handler;
        if (p.isSignal()) {
            QTRY_VERIFY(handler.emergencyNumbers().contains(QStringLiteral("999")));
            QVERIFY(emitSignal(ofono, p));
        }
        QTRY_COMPARE(s_refusals, 1);
        QVERIFY(!handler.isCallActive());
        QVERIFY(handler.isEmergencyNumber(QStringLiteral("112")));
    }

    void notifications_data()
    {
        QTest::addColumn<QString>("signature");
        QTest::addColumn<QString>("code");
        QTest::newRow("a string") << "s"
                                  << "ret = 'x'";
        QTest::newRow("two ids") << "uu"
                                 << "ret = (1, 2)";
        QTest::newRow("nothing") << ""
                                 << "";
    }

    void notifications()
    {
        QFETCH(QString, signature);
        QFETCH(QString, code);
        MockService server(QStringLiteral("notifications"), QStringLiteral("org.freedesktop.Notifications"),
            MockService::SessionBus);
        QVERIFY(server.start());
        QVERIFY(server
                    .control(QStringLiteral("/org/freedesktop/Notifications"), QStringLiteral("AddMethod"),
                        { QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"),
                            QStringLiteral("susssasa{sv}i"), signature, code })
                    .type()
            == QDBusMessage::ReplyMessage);
        watchFor(QStringLiteral("org.freedesktop.Notifications.Notify: expected arguments (u), got (%1)")
                     .arg(signature));
        Tarn::Notification notification(
            QStringLiteral("x"), QStringLiteral("summary"), QStringLiteral("body"));
        QVERIFY(!notification.publish());
        QCOMPARE(s_refusals, 1);
    }
};

QTEST_MAIN(TestWrongShapes)
#include "tst_wrongshapes.moc"
