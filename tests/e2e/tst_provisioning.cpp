#include <Phone.h>
#include <XTools.h>

#include <QTest>

// What the provisioning engine sees of the real daemon: its requests on the
// system bus, the user's answers on the sheets (typed and tapped through the
// X server) coming back as signals, and notifications and feedback at the
// simulated services. One daemon serves every case: each request opens a
// sheet of its own.
class Engine : public QObject
{
    Q_OBJECT
public:
    QStringList pins;
    QList<QStringList> accessPoints;

public Q_SLOTS:
    void pinSig(const QString& pin) { pins << pin; }
    void iapSelected(const QString& gprs, const QString& mms) { accessPoints << QStringList { gprs, mms }; }
};

class TestProvisioning : public QObject
{
    Q_OBJECT

private:
    static constexpr const char* Service = "com.vexa.oma_cp_ui";
    static constexpr const char* Path = "/com/vexa/oma_cp_ui";
    static constexpr const char* PinTitle = "^Settings PIN code$";
    static constexpr const char* ApTitle = "^Connection settings$";

    NotificationsMock m_notifications;
    FeedbackdMock m_feedback;
    Phone m_phone { {}, false };
    DaemonProcess& m_daemon = m_phone.daemon;
    Engine m_engine;

    static void request(const QString& method, const QVariantList& args)
    {
        QVERIFY(Phone::send(QLatin1String(Service), method, args));
    }

    static QString waitForSheet(const char* title)
    {
        const QStringList windows = XTools::findWindows(QLatin1String(title), true);
        return windows.value(0);
    }

    // The header's two buttons, as a thumb finds them.
    static bool tap(const QString& window, bool positive)
    {
        const QRect g = XTools::geometry(window);
        return g.width() > 0 && XTools::click(g.x() + (positive ? g.width() - 90 : 90), g.y() + 44);
    }

    // Steps: "type:<text>", "key:<xdotool key>", "ok" (the positive header
    // button) or "cancel" (the negative one).
    static void play(const QString& window, const QStringList& steps)
    {
        for (const QString& step : steps) {
            if (step.startsWith(QLatin1String("type:")))
                QVERIFY(XTools::type(window, step.mid(5)));
            else if (step.startsWith(QLatin1String("key:")))
                QVERIFY(XTools::key(window, step.mid(4)));
            else
                QVERIFY(tap(window, step == QLatin1String("ok")));
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_notifications.start());
        QVERIFY(m_feedback.start());
        QVERIFY2(m_phone.start({ QStringLiteral("-log") }, Service), qPrintable(m_daemon.output()));
        QDBusConnection bus = QDBusConnection::systemBus();
        QVERIFY(bus.connect(QLatin1String(Service), QLatin1String(Path), QLatin1String(Service),
            QStringLiteral("pin_sig"), QStringLiteral("s"), &m_engine, SLOT(pinSig(QString))));
        QVERIFY(bus.connect(QLatin1String(Service), QLatin1String(Path), QLatin1String(Service),
            QStringLiteral("iap_selected"), QStringLiteral("ss"), &m_engine,
            SLOT(iapSelected(QString, QString))));
    }

    void init()
    {
        m_engine.pins.clear();
        m_engine.accessPoints.clear();
        m_notifications.clearCalls(QStringLiteral("/org/freedesktop/Notifications"));
        m_feedback.clearCalls(QStringLiteral("/org/sigxcpu/Feedback"));
    }

    void cleanup()
    {
        // Every case ends with its sheet gone.
        QTRY_VERIFY(XTools::findWindows(QStringLiteral("^Settings PIN code$|^Connection settings$"), false)
                        .isEmpty());
    }

    void pinSheet_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("pin");
        const QString pin = "8642097531";
        QTest::newRow("Arabic-Indic and Devanagari digits")
            << QStringList { QString::fromUtf8("type:٨٦٤٢٠९७५३१"), "ok" } << pin;
        QTest::newRow("letters are not taken") << QStringList { "type:86a42b09c7531", "key:Return" } << pin;
        QTest::newRow("empty, return") << QStringList { "key:Return" } << QString();
        QTest::newRow("cancel after typing") << QStringList { "type:8642097531", "cancel" } << QString();
        // OK does nothing while the field is empty, also once emptied again.
        QTest::newRow("OK only with digits")
            << QStringList { "ok", "type:12", "key:BackSpace", "key:BackSpace", "ok", "type:7531", "ok" }
            << "7531";
        QTest::newRow("at most 255 digits") << QStringList { "type:" + QString(260, QLatin1Char('4')),
            "key:Return" } << QString(255, QLatin1Char('4'));
    }

    void pinSheet()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, pin);
        request(QStringLiteral("pin_query_req"), { false });
        const QString window = waitForSheet(PinTitle);
        QVERIFY(!window.isEmpty());
        play(window, steps);
        QTRY_COMPARE(m_engine.pins, QStringList { pin });
        // Only the length reaches the log, and the sheet plays no feedback.
        QVERIFY(m_daemon.ping());
        QVERIFY(m_daemon.output().contains(QStringLiteral("PIN length %1").arg(pin.size())));
        if (!pin.isEmpty())
            QVERIFY(!m_daemon.output().contains(pin));
        QCOMPARE(m_feedback.events(), QStringList());
    }

    void twoPinRequestsTwoAnswers()
    {
        request(QStringLiteral("pin_query_req"), { false });
        request(QStringLiteral("pin_query_req"), { true });
        QTRY_COMPARE(XTools::findWindows(QLatin1String(PinTitle), false).size(), 2);
        const QStringList windows = XTools::findWindows(QLatin1String(PinTitle), false);
        // Both over every other application, on the whole screen.
        for (const QString& window : windows) {
            const QString state = XTools::xprop(window, QStringLiteral("_NET_WM_STATE"));
            QVERIFY2(state.contains(QLatin1String("_NET_WM_STATE_ABOVE"))
                    && state.contains(QLatin1String("_NET_WM_STATE_FULLSCREEN")),
                qPrintable(state));
        }
        play(windows.at(1), { QStringLiteral("type:1357"), QStringLiteral("key:Return") });
        QTRY_COMPARE(m_engine.pins, QStringList { QStringLiteral("1357") });
        QCOMPARE(XTools::findWindows(QLatin1String(PinTitle), false), QStringList { windows.at(0) });
        play(windows.at(0), { QStringLiteral("cancel") });
        QTRY_COMPARE(m_engine.pins, (QStringList { QStringLiteral("1357"), QString() }));
    }

    // A flood opens a bounded number of windows; the rest are answered as
    // cancelled at once, so the engine never waits for them.
    void floodOfRequestsIsBounded()
    {
        for (int i = 0; i < 20; ++i)
            request(QStringLiteral("pin_query_req"), { false });
        request(QStringLiteral("iap_select_req"), { QStringList { QStringLiteral("a") }, QStringList() });
        QTRY_COMPARE(m_engine.pins, QStringList(17, QString()));
        QTRY_COMPARE(m_engine.accessPoints, (QList<QStringList> { { QString(), QString() } }));
        // So is a list no settings message carries, whatever is open.
        request(QStringLiteral("iap_select_req"), { QStringList(101, QStringLiteral("a")), QStringList() });
        QTRY_COMPARE(m_engine.accessPoints.size(), 2);
        const QStringList windows = XTools::findWindows(QLatin1String(PinTitle), false);
        QCOMPARE(windows.size(), 3);
        // Full-screen sheets share their header: cancel the topmost each time.
        for (int answered = 18; answered <= 20; ++answered) {
            QVERIFY(XTools::click(90, 44));
            QTRY_COMPARE(m_engine.pins.size(), answered);
        }
    }

    void accessPointSheet_data()
    {
        QTest::addColumn<QStringList>("gprs");
        QTest::addColumn<QStringList>("mms");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("chosen");
        const QStringList gprs { "Internet", "Web", "WAP" };
        const QStringList mms { "MMS", "MMS backup" };
        const QStringList none { QString(), QString() };
        QTest::newRow("saved untouched") << gprs << mms << QStringList { "ok" } << none;
        QTest::newRow("both chosen") << gprs << mms
                                     << QStringList { "key:Down", "key:Down", "key:Tab", "key:Down",
                                            "key:Down", "ok" }
                                     << QStringList { "Web", "MMS backup" };
        QTest::newRow("back to none")
            << gprs << mms << QStringList { "key:Down", "key:Up", "key:Tab", "key:Down", "ok" }
            << QStringList { QString(), "MMS" };
        QTest::newRow("cancelled after a choice")
            << gprs << mms << QStringList { "key:Down", "key:Tab", "key:Down", "cancel" } << none;
        // Only the "none" entry: stepping down leaves it chosen.
        QTest::newRow("no names") << QStringList() << QStringList()
                                  << QStringList { "key:Down", "key:Tab", "key:Down", "ok" } << none;
    }

    void accessPointSheet()
    {
        QFETCH(QStringList, gprs);
        QFETCH(QStringList, mms);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, chosen);
        request(QStringLiteral("iap_select_req"), { gprs, mms });
        const QString window = waitForSheet(ApTitle);
        QVERIFY(!window.isEmpty());
        QTRY_COMPARE(m_feedback.events(), QStringList { QStringLiteral("query_strong") });
        play(window, steps);
        QTRY_COMPARE(m_engine.accessPoints, QList<QStringList> { chosen });
        QVERIFY(m_engine.pins.isEmpty());
    }

    void notifications()
    {
        const QStringList types { QStringLiteral("settings_received"), QStringLiteral("unknown"),
            QStringLiteral("settings_received_updated"), QString(), QStringLiteral("settings_updated"),
            QStringLiteral("PIN_FAILED"), QStringLiteral("pin_failed") };
        for (const QString& type : types)
            request(QStringLiteral("notification_req"), { type });
        const QStringList expected { QStringLiteral(
                                         "Connection settings received, not saved|cellular.positive"),
            QStringLiteral("Connection settings received and saved|cellular.positive"),
            QStringLiteral("Access points saved|cellular.positive"),
            QStringLiteral("Incorrect PIN code|sim.error") };
        QTRY_COMPARE(m_notifications.shown().size(), expected.size());
        QVERIFY(m_daemon.ping());
        QCOMPARE(m_notifications.shown(), expected);
        QCOMPARE(m_feedback.events(), QStringList());
    }

    // The settings PIN goes to root, the engine's user, and to nobody else on
    // the bus; the other answer goes to everyone.
    void pinReachesRootOnly()
    {
        struct Listener
        {
            QProcess process;
            QString seen;
            bool waitFor(const QString& text)
            {
                for (int i = 0; i < 200 && !seen.contains(text); ++i) {
                    process.waitForReadyRead(100);
                    seen += QString::fromLocal8Bit(process.readAll());
                }
                return seen.contains(text);
            }
        } root, other;
        const QStringList monitor { QStringLiteral("gdbus"), QStringLiteral("monitor"),
            QStringLiteral("--system"), QStringLiteral("--dest"), QLatin1String(Service) };
        root.process.start(monitor.first(), monitor.mid(1));
        XTools::startAsNobody(other.process, monitor);
        QVERIFY2(root.waitFor(QStringLiteral("is owned by")), qPrintable(root.seen));
        QVERIFY2(other.waitFor(QStringLiteral("is owned by")), qPrintable(other.seen));

        request(QStringLiteral("pin_query_req"), { false });
        play(waitForSheet(PinTitle), { QStringLiteral("type:4711"), QStringLiteral("key:Return") });
        QTRY_COMPARE(m_engine.pins, QStringList { QStringLiteral("4711") });
        request(QStringLiteral("iap_select_req"), { QStringList(), QStringList() });
        play(waitForSheet(ApTitle), { QStringLiteral("cancel") });

        // Signals of one sender arrive in order: once iap_selected is there,
        // pin_sig has had its chance.
        QVERIFY2(root.waitFor(QStringLiteral("iap_selected")), qPrintable(root.seen));
        QVERIFY2(other.waitFor(QStringLiteral("iap_selected")), qPrintable(other.seen));
        QVERIFY2(root.seen.contains(QStringLiteral("pin_sig ('4711',)")), qPrintable(root.seen));
        QVERIFY2(!other.seen.contains(QStringLiteral("pin_sig")), qPrintable(other.seen));
        for (Listener* l : { &root, &other }) {
            l->process.terminate();
            l->process.waitForFinished();
        }
    }
};

QTEST_GUILESS_MAIN(TestProvisioning)
#include "tst_provisioning.moc"
