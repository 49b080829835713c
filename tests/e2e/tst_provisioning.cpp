#include <Phone.h>
#include <XTools.h>

#include <QTest>

using namespace Qt::StringLiterals;

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
            if (step.startsWith("type:"_L1))
                QVERIFY(XTools::type(window, step.mid(5)));
            else if (step.startsWith("key:"_L1))
                QVERIFY(XTools::key(window, step.mid(4)));
            else
                QVERIFY(tap(window, step == "ok"_L1));
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_notifications.start());
        QVERIFY(m_feedback.start());
        QVERIFY2(m_phone.start({ u"-log"_s }, Service), qPrintable(m_daemon.output()));
        QDBusConnection bus = QDBusConnection::systemBus();
        QVERIFY(bus.connect(QLatin1String(Service), QLatin1String(Path), QLatin1String(Service), u"pin_sig"_s,
            u"s"_s, &m_engine, SLOT(pinSig(QString))));
        QVERIFY(bus.connect(QLatin1String(Service), QLatin1String(Path), QLatin1String(Service),
            u"iap_selected"_s, u"ss"_s, &m_engine, SLOT(iapSelected(QString, QString))));
    }

    void init()
    {
        m_engine.pins.clear();
        m_engine.accessPoints.clear();
        m_notifications.clearCalls(u"/org/freedesktop/Notifications"_s);
        m_feedback.clearCalls(u"/org/sigxcpu/Feedback"_s);
    }

    void cleanup()
    {
        // Every case ends with its sheet gone.
        QTRY_VERIFY(XTools::findWindows(u"^Settings PIN code$|^Connection settings$"_s, false).isEmpty());
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
        request(u"pin_query_req"_s, { false });
        const QString window = waitForSheet(PinTitle);
        QVERIFY(!window.isEmpty());
        play(window, steps);
        QTRY_COMPARE(m_engine.pins, QStringList { pin });
        // Only the length reaches the log, and the sheet plays no feedback.
        QVERIFY(m_daemon.ping());
        QVERIFY(m_daemon.output().contains(u"PIN length %1"_s.arg(pin.size())));
        if (!pin.isEmpty())
            QVERIFY(!m_daemon.output().contains(pin));
        QCOMPARE(m_feedback.events(), QStringList());
    }

    // A flood opens a bounded number of windows; the rest are answered as
    // cancelled at once, so the engine never waits for them.
    void floodOfRequestsIsBounded()
    {
        // More than 100 MMS names: no sheet, even with nothing open.
        request(u"iap_select_req"_s, { QStringList(), QStringList(101, u"m"_s) });
        QTRY_VERIFY2(m_engine.accessPoints.size() == 1, "a sheet opened for 101 MMS access points");
        m_engine.accessPoints.clear();
        for (int i = 0; i < 20; ++i)
            request(u"pin_query_req"_s, { false });
        request(u"iap_select_req"_s, { QStringList { u"a"_s }, QStringList() });
        QTRY_COMPARE(m_engine.pins, QStringList(17, QString()));
        QTRY_COMPARE(m_engine.accessPoints, (QList<QStringList> { { QString(), QString() } }));
        // So is a list no settings message carries, whatever is open.
        request(u"iap_select_req"_s, { QStringList(101, u"a"_s), QStringList() });
        QTRY_COMPARE(m_engine.accessPoints.size(), 2);
        const QStringList windows = XTools::findWindows(QLatin1String(PinTitle), false);
        QCOMPARE(windows.size(), 3);
        // Each over every other application, on the whole screen, and
        // answered on its own.
        for (const QString& window : windows) {
            const QString state = XTools::xprop(window, u"_NET_WM_STATE"_s);
            QVERIFY2(
                state.contains("_NET_WM_STATE_ABOVE"_L1) && state.contains("_NET_WM_STATE_FULLSCREEN"_L1),
                qPrintable(state));
        }
        play(windows.at(1), { u"type:1357"_s, u"key:Return"_s });
        QTRY_COMPARE(m_engine.pins.size(), 18);
        QCOMPARE(m_engine.pins.last(), u"1357"_s);
        QCOMPARE(XTools::findWindows(QLatin1String(PinTitle), false),
            (QStringList { windows.at(0), windows.at(2) }));
        // Full-screen sheets share their header: cancel the topmost each time.
        for (int answered = 19; answered <= 20; ++answered) {
            QVERIFY(XTools::click(90, 44));
            QTRY_COMPARE(m_engine.pins.size(), answered);
        }
        QCOMPARE(m_engine.pins.last(), QString());
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
        // An access point may be called what the first entry says.
        QTest::newRow("a point named None") << QStringList { "None" } << QStringList { "MMS" }
                                            << QStringList { "key:Down", "ok" } << QStringList { "None", "" };
        QTest::newRow("100 names each, the most")
            << QStringList(100, "a") << QStringList(100, "m") << QStringList { "key:Down", "ok" }
            << QStringList { "a", "" };
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
        request(u"iap_select_req"_s, { gprs, mms });
        const QString window = waitForSheet(ApTitle);
        QVERIFY2(!window.isEmpty(), "no sheet for the names");
        QTRY_COMPARE(m_feedback.events(), QStringList { u"query_strong"_s });
        play(window, steps);
        QTRY_COMPARE(m_engine.accessPoints, QList<QStringList> { chosen });
        QVERIFY(m_engine.pins.isEmpty());
    }

    void notifications()
    {
        const QStringList types { u"settings_received"_s, u"unknown"_s, u"settings_received_updated"_s,
            QString(), u"settings_updated"_s, u"PIN_FAILED"_s, u"pin_failed"_s };
        for (const QString& type : types)
            request(u"notification_req"_s, { type });
        const QStringList expected { QStringLiteral(
                                         "Connection settings received, not saved|cellular.positive"),
            u"Connection settings received and saved|cellular.positive"_s,
            u"Access points saved|cellular.positive"_s, u"Incorrect PIN code|sim.error"_s };
        COMPARE_NOTES(m_notifications, m_daemon, expected);
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
        const QStringList monitor { u"gdbus"_s, u"monitor"_s, u"--system"_s, u"--dest"_s,
            QLatin1String(Service) };
        root.process.start(monitor.first(), monitor.mid(1));
        XTools::startAsNobody(other.process, monitor);
        QVERIFY2(root.waitFor(u"is owned by"_s), qPrintable(root.seen));
        QVERIFY2(other.waitFor(u"is owned by"_s), qPrintable(other.seen));

        request(u"pin_query_req"_s, { false });
        play(waitForSheet(PinTitle), { u"type:4711"_s, u"key:Return"_s });
        QTRY_COMPARE(m_engine.pins, QStringList { u"4711"_s });
        request(u"iap_select_req"_s, { QStringList(), QStringList() });
        play(waitForSheet(ApTitle), { u"cancel"_s });

        // Signals of one sender arrive in order: once iap_selected is there,
        // pin_sig has had its chance.
        QVERIFY2(root.waitFor(u"iap_selected"_s), qPrintable(root.seen));
        QVERIFY2(other.waitFor(u"iap_selected"_s), qPrintable(other.seen));
        QVERIFY2(root.seen.contains(u"pin_sig ('4711',)"_s), qPrintable(root.seen));
        QVERIFY2(!other.seen.contains(u"pin_sig"_s), qPrintable(other.seen));
        for (Listener* l : { &root, &other }) {
            l->process.terminate();
            l->process.waitForFinished();
        }
    }
};

QTEST_GUILESS_MAIN(TestProvisioning)
#include "tst_provisioning.moc"
