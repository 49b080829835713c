#include <DaemonProcess.h>
#include <FifoReader.h>
#include <MockService.h>
#include <XTools.h>

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QDeadlineTimer>
#include <QTest>

// The real daemon watching a simulated oFono: notes about the card, the
// generic note for a refused registration, the phone-network question with
// its answers and the settings request, the prestart, and a flood of changes.
class TestWatcher : public QObject
{
    Q_OBJECT

private:
    static constexpr const char* Question = "^Network not available$";
    static inline const QString NotifyPath = QStringLiteral("/org/freedesktop/Notifications");
    static inline const QString FeedbackPath = QStringLiteral("/org/sigxcpu/Feedback");
    static inline const QString SettingsPath = QStringLiteral("/org/gnome/Settings");

    // Everything a phone around the daemon has; the settings application
    // only when `settings` says so ("absent", "running", "refusing").
    struct Phone
    {
        QScopedPointer<MockService> ofono, notifications, feedbackd, settings;
        FifoReader fifo;
        DaemonProcess daemon;
    };

    static bool startPhone(Phone& phone, const QVariantMap& ofono, const QString& settings = {},
        const QStringList& args = { QStringLiteral("-log") })
    {
        phone.ofono.reset(new MockService(
            QStringLiteral("ofono_sim"), QStringLiteral("org.ofono"), MockService::SystemBus, ofono));
        phone.notifications.reset(new MockService(QStringLiteral("notifications"),
            QStringLiteral("org.freedesktop.Notifications"), MockService::SessionBus));
        phone.feedbackd.reset(new MockService(
            QStringLiteral("feedbackd"), QStringLiteral("org.sigxcpu.Feedback"), MockService::SessionBus));
        phone.settings.reset(new MockService(QStringLiteral("settings_app"),
            QStringLiteral("org.gnome.Settings"), MockService::SessionBus,
            { { QStringLiteral("refuse"), settings == QLatin1String("refusing") } }));
        if (!phone.ofono->start() || !phone.notifications->start() || !phone.feedbackd->start())
            return false;
        if (settings != QLatin1String("absent") && !phone.settings->start())
            return false;
        phone.daemon.setFifo(phone.fifo.path());
        return phone.daemon.start(args) && phone.daemon.waitForOutput(QStringLiteral("KorvaUI::simRead")) > 0
            && phone.daemon.ping();
    }

    static QDBusMessage ofono(Phone& phone, const QString& method, const QVariantList& args)
    {
        return phone.ofono->control(QStringLiteral("/"), method, args);
    }

    // "text|category" of every notification published so far.
    static QStringList notes(Phone& phone)
    {
        QStringList result;
        for (const QVariantList& call : phone.notifications->calls(NotifyPath, QStringLiteral("Notify")))
            result << call.value(4).toString() + QLatin1Char('|')
                    + qdbus_cast<QVariantMap>(call.value(6)).value(QStringLiteral("category")).toString();
        return result;
    }

    static QStringList feedback(Phone& phone)
    {
        QStringList result;
        for (const QVariantList& call :
            phone.feedbackd->calls(FeedbackPath, QStringLiteral("TriggerFeedback")))
            result << call.value(1).toString();
        return result;
    }

    static QStringList questions() { return XTools::findWindows(QLatin1String(Question), false); }

    static bool press(const QString& window, bool yes)
    {
        const QString geometry = XTools::run(QStringLiteral("xdotool"),
            { QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window });
        QHash<QString, int> g;
        for (const QString& line : geometry.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            g.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1).toInt());
        if (g.value(QStringLiteral("WIDTH")) <= 0)
            return false;
        const int x = g[QStringLiteral("X")] + g[QStringLiteral("WIDTH")] * (yes ? 1 : 3) / 4;
        return XTools::click(x, g[QStringLiteral("Y")] + g[QStringLiteral("HEIGHT")] - 24 - 32);
    }

    // PIN and PUK used up: rejected from the first look at it.
    static QVariantMap blockedCard()
    {
        return { { QStringLiteral("pin_retries"), 0 }, { QStringLiteral("puk_retries"), 0 } };
    }
    static QStringList dialogs()
    {
        return XTools::findWindows(QStringLiteral("^(SIM card|Phone not|Network not)"), false);
    }
    // Waits until the daemon has logged `text` at least `count` times.
    static bool waitForCount(DaemonProcess& daemon, const QString& text, int count)
    {
        QDeadlineTimer deadline(20000);
        while (daemon.output().count(text) < count) {
            if (deadline.hasExpired() || daemon.process().state() != QProcess::Running)
                return false;
            daemon.process().waitForReadyRead(100);
        }
        return true;
    }

    static QString rejected() { return QStringLiteral("SIM card rejected|sim.error.sound"); }
    static QString removed() { return QStringLiteral("SIM card removed|sim.removed"); }
    static QString refused() { return QStringLiteral("SIM card registration failed|sim.error.sound"); }

private Q_SLOTS:
    // Card and registration changes, each step a control call of the
    // simulated oFono, and the notes a user gets for the whole story.
    void notes_data()
    {
        QTest::addColumn<QVariantMap>("start");
        QTest::addColumn<QList<QVariantList>>("steps");
        QTest::addColumn<QStringList>("expected");
        const QVariantMap ready { { QStringLiteral("pin_locked"), false } };
        const auto step = [](const char* method, const QVariant& a, const QVariant& b = {}) {
            QVariantList s { QString::fromLatin1(method), a };
            if (b.isValid())
                s << b;
            return s;
        };
        QTest::newRow("card removed")
            << ready << QList<QVariantList> { step("SetSimPresent", false) } << QStringList { removed() };
        QTest::newRow("rejected, then removed")
            << ready
            << QList<QVariantList> { step("SetPinRequired", "network"), step("SetSimPresent", false) }
            << QStringList { rejected(), removed() };
        QTest::newRow("no card at start, then inserted")
            << QVariantMap { { QStringLiteral("sim_present"), false } }
            << QList<QVariantList> { step("SetSimPresent", true) } << QStringList {};
        // oFono gone for a while is no news about the card.
        QTest::newRow("no card, modem gone and back")
            << QVariantMap { { QStringLiteral("sim_present"), false } }
            << QList<QVariantList> { { QStringLiteral("RemoveModem") }, { QStringLiteral("AddModem") } }
            << QStringList {};
        QTest::newRow("refused, no cause known")
            << ready << QList<QVariantList> { step("SetRegistration", "denied", "auto") }
            << QStringList { refused() };
        QTest::newRow("refused in manual mode too")
            << ready << QList<QVariantList> { step("SetRegistration", "denied", "manual") }
            << QStringList { refused() };
        QTest::newRow("blocked for good at start")
            << blockedCard() << QList<QVariantList> {} << QStringList { rejected() };
    }

    void notes()
    {
        QFETCH(QVariantMap, start);
        QFETCH(QList<QVariantList>, steps);
        QFETCH(QStringList, expected);
        Phone phone;
        QVERIFY(startPhone(phone, start));
        for (QVariantList s : steps) {
            const QString method = s.takeFirst().toString();
            QCOMPARE(ofono(phone, method, s).type(), QDBusMessage::ReplyMessage);
        }
        // A last change that says nothing: once it is seen, so is all before it.
        QCOMPARE(
            ofono(phone, QStringLiteral("SetModemOnline"), { false }).type(), QDBusMessage::ReplyMessage);
        QVERIFY(phone.daemon.waitForOutput(QStringLiteral("KorvaUI::scStatusChanged(int): 2")) > 0);
        QVERIFY(phone.daemon.ping());
        QTRY_COMPARE(notes(phone), expected);
        QVERIFY(dialogs().isEmpty());
    }

    // A card rejected at start while prestarted is announced on release,
    // and only if it is still rejected then.
    void prestart_data()
    {
        QTest::addColumn<bool>("recovers");
        QTest::newRow("still rejected") << false;
        QTest::newRow("asks for the PUK again before release") << true;
    }

    void prestart()
    {
        QFETCH(bool, recovers);
        Phone phone;
        QVERIFY(startPhone(
            phone, blockedCard(), QString(), { QStringLiteral("-log"), QStringLiteral("-prestart") }));
        if (recovers) {
            QCOMPARE(ofono(phone, QStringLiteral("SetRetries"),
                         { QStringLiteral("puk"), QVariant::fromValue(uchar(10)) })
                         .type(),
                QDBusMessage::ReplyMessage);
            QVERIFY(phone.daemon.waitForOutput(QStringLiteral("KorvaUI::simChanged")) > 0);
        }
        QVERIFY(phone.daemon.ping());
        QVERIFY(notes(phone).isEmpty());
        QVERIFY(DaemonProcess::release());
        QVERIFY(phone.daemon.waitForOutput(QStringLiteral("KorvaUI::prestartReleased")) > 0);
        QVERIFY(phone.daemon.ping());
        QTRY_COMPARE(notes(phone), recovers ? QStringList {} : QStringList { rejected() });
    }

    // The phone-network question over a whole story: shown once, a warning
    // replayed while it stays open, declined and remembered, offered again
    // after the phone registered, and Yes opening the settings page.
    void phoneNetworkQuestion_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QStringList>("panels");
        QTest::newRow("settings running")
            << QStringLiteral("running") << QStringList { QStringLiteral("wwan") };
        QTest::newRow("settings refusing") << QStringLiteral("refusing") << QStringList {};
        QTest::newRow("settings absent") << QStringLiteral("absent") << QStringList {};
    }

    void phoneNetworkQuestion()
    {
        QFETCH(QString, settings);
        QFETCH(QStringList, panels);
        Phone phone;
        QVERIFY(startPhone(phone, { { QStringLiteral("pin_locked"), false } }, settings));
        // One change of the registration, waited for until the daemon has seen it.
        const auto registration = [&](const char* status, const char* mode = "auto") {
            const QString line = QStringLiteral("KorvaUI::nrStatusChanged(int, int): ");
            const int seen = phone.daemon.output().count(line);
            const QVariantList args { QString::fromLatin1(status), QString::fromLatin1(mode) };
            return ofono(phone, QStringLiteral("SetRegistration"), args).type() == QDBusMessage::ReplyMessage
                && waitForCount(phone.daemon, line, seen + 1) && phone.daemon.ping();
        };

        QVERIFY(registration("unregistered"));
        QStringList shown = XTools::findWindows(QLatin1String(Question), true);
        QCOMPARE(shown.size(), 1);
        QTRY_COMPARE(feedback(phone), QStringList { QStringLiteral("warning_snd") });
        // Searching and back: the open question only warns again.
        QVERIFY(registration("searching"));
        QVERIFY(registration("unregistered"));
        QCOMPARE(questions(), shown);
        QTRY_COMPARE(feedback(phone).size(), 2);
        // Manual selection neither closes nor repeats it.
        QVERIFY(registration("searching", "manual"));
        QVERIFY(registration("unregistered", "manual"));
        QCOMPARE(questions(), shown);
        QCOMPARE(feedback(phone).size(), 2);

        // No is remembered until the phone registers.
        QVERIFY(press(shown.first(), false));
        QVERIFY(phone.daemon.waitForOutput(QStringLiteral("true-->false")) > 0);
        QVERIFY(registration("searching"));
        QVERIFY(registration("unregistered"));
        QVERIFY(questions().isEmpty());
        QVERIFY(registration("registered"));
        QVERIFY(registration("unregistered"));
        shown = XTools::findWindows(QLatin1String(Question), true);
        QCOMPARE(shown.size(), 1);

        QVERIFY(press(shown.first(), true));
        QVERIFY(phone.daemon.waitForOutput(QStringLiteral("Accepted: Bringing up the phone network settings"))
            > 0);
        QVERIFY(phone.daemon.ping());
        const bool failed = phone.daemon.output().contains(
            QLatin1String("ERROR! Failed to bring up the phone network settings applet"));
        QCOMPARE(failed, panels.isEmpty());
        if (settings != QLatin1String("absent")) {
            const QDBusMessage opened = phone.settings->control(SettingsPath, QStringLiteral("GetPanels"));
            QCOMPARE(opened.arguments().value(0).toStringList(), panels);
        }
        QVERIFY(questions().isEmpty());
        // Registering closes nothing further and notes nothing.
        QVERIFY(registration("registered"));
        QVERIFY(notes(phone).isEmpty());
    }

    // A flood of registration and card changes: the daemon keeps answering,
    // never shows more than one question, and leaves no refusal dialog.
    void burst()
    {
        Phone phone;
        QVERIFY(startPhone(phone, { { QStringLiteral("pin_locked"), false } }));
        static const char* const statuses[]
            = { "unregistered", "searching", "denied", "registered", "roaming" };
        QList<QDBusPendingCall> pending;
        for (int i = 0; i < 1000; ++i) {
            QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.ofono"),
                QStringLiteral("/"), QStringLiteral("org.freedesktop.DBus.Mock"),
                i % 10 == 9 ? QStringLiteral("SetSimPresent") : QStringLiteral("SetRegistration"));
            if (i % 10 == 9)
                call << bool(i % 20 == 19);
            else
                call << QString::fromLatin1(statuses[i % 5]) << QStringLiteral("auto");
            pending << phone.ofono->bus().asyncCall(call);
        }
        for (QDBusPendingCall& call : pending)
            call.waitForFinished();
        QVERIFY(phone.daemon.ping());
        QVERIFY(questions().size() <= 1);
        QVERIFY(dialogs().size() <= 1);
        QVERIFY(notes(phone).contains(removed()));
        QVERIFY(notes(phone).contains(refused()));
        QCOMPARE(phone.daemon.process().state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestWatcher)
#include "tst_watcher.moc"
