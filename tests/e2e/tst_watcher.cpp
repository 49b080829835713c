#include <Phone.h>
#include <XTools.h>

#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QTest>

// The real daemon watching a simulated oFono: notes about the card and a
// refused registration, the phone-network question and the settings
// request, the prestart, and a flood of changes.
class TestWatcher : public QObject
{
    Q_OBJECT

    struct Watched : Phone
    {
        using Phone::Phone;
        MockService settings { "settings_app", "org.gnome.Settings", MockService::SessionBus };
        NotificationsMock notifications;
        FeedbackdMock feedbackd;
    };

    static bool start(Watched& p, bool settings = true, bool prestart = false)
    {
        return p.notifications.start() && p.feedbackd.start() && (!settings || p.settings.start())
            && p.start(prestart ? QStringList { "-log", "-prestart" } : QStringList { "-log" }, nullptr)
            && p.daemon.waitForOutput("KorvaUI::simRead") > 0 && p.daemon.ping();
    }

    // One control call of the simulated oFono, "Method:arg:...[|seen]",
    // waited for until the daemon has logged `seen` once more.
    static bool step(Watched& p, const QString& call, QString seen = {})
    {
        if (seen.isEmpty())
            seen = call.section('|', 1);
        const int before = p.daemon.output().count(seen);
        return p.ofono.step(call.section('|', 0, 0)) && (seen.isEmpty() || p.waitLog(seen, before + 1))
            && p.daemon.ping();
    }
    static bool registration(Watched& p, const QString& statusMode)
    {
        return step(p, "SetRegistration:" + statusMode, "KorvaUI::nrStatusChanged");
    }

    static int warnings(Watched& p, const QString& event) { return p.feedbackd.events().count(event); }
    static QStringList dialogs(const char* title = "^(SIM card|Phone not|Network not)", bool wait = false)
    {
        return XTools::findWindows(QString::fromLatin1(title), wait);
    }

    const QString rejected = "SIM card rejected|sim.error.sound";
    const QString removed = "SIM card removed|sim.removed";
    const QString refused = "SIM card registration failed|sim.error.sound";
    const QVariantMap ready { { "pin_locked", false } };
    const QVariantMap blocked { { "pin_retries", 0 }, { "puk_retries", 0 } };

private Q_SLOTS:
    // A prestarted daemon tells nothing until the release, and then only
    // about a card still rejected. oFono coming late with no card is no
    // removal: no card was seen ("oFono" starts it).
    void notes_data()
    {
        QTest::addColumn<QVariantMap>("initial");
        QTest::addColumn<bool>("prestarted");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("rejected, then removed")
            << ready << false << QStringList { "SetPinRequired:network", "SetSimPresent:false" }
            << QStringList { rejected, removed };
        QTest::newRow("no card, modem gone and back")
            << QVariantMap { { "sim_present", false } } << false
            << QStringList { "RemoveModem", "AddModem|scStatusChanged(int): 1" } << QStringList {};
        QTest::newRow("oFono late, no card")
            << QVariantMap { { "sim_present", false } } << false << QStringList { "oFono" } << QStringList {};
        QTest::newRow("refused, cause unknown")
            << ready << false << QStringList { "SetRegistration:denied:manual" } << QStringList { refused };
        QTest::newRow("rejected at start") << blocked << false << QStringList {} << QStringList { rejected };
        QTest::newRow("rejected at start, prestarted")
            << blocked << true << QStringList {} << QStringList { rejected };
        QTest::newRow("prestarted, card usable again before release")
            << blocked << true << QStringList { "SetPinRequired:none" } << QStringList {};
    }

    void notes()
    {
        QFETCH(QVariantMap, initial);
        QFETCH(bool, prestarted);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, expected);
        Watched p(initial, !steps.contains("oFono"));
        QVERIFY(start(p, true, prestarted));
        for (const QString& s : steps)
            QVERIFY(s == "oFono" ? p.ofono.start() && p.waitLog("KorvaUI::simChanged") : step(p, s));
        // A change that says nothing: once it is seen, so is all before it.
        QVERIFY(step(p, "SetModemOnline:false", "KorvaUI::scStatusChanged(int): 2"));
        if (prestarted) {
            QVERIFY(p.notifications.shown().isEmpty());
            QVERIFY(DaemonProcess::release());
            QVERIFY(p.daemon.waitForOutput("KorvaUI::prestartReleased") > 0 && p.daemon.ping());
        }
        COMPARE_NOTES(p.notifications, p.daemon, expected);
        QVERIFY(dialogs().isEmpty());
    }

    // Shown once, warned again while open, left alone in manual selection,
    // No remembered until the phone registers, Yes opening the settings page.
    void phoneNetworkQuestion_data()
    {
        QTest::addColumn<bool>("settings");
        QTest::newRow("settings application running") << true;
        QTest::newRow("no settings application") << false;
    }

    void phoneNetworkQuestion()
    {
        QFETCH(bool, settings);
        Watched p(ready);
        QVERIFY(start(p, settings));
        QVERIFY(registration(p, "unregistered:auto"));
        QStringList shown = dialogs("^Network not available$", true);
        QCOMPARE(shown.size(), 1);
        QVERIFY(registration(p, "searching:auto") && registration(p, "unregistered:auto"));
        QVERIFY(registration(p, "searching:manual") && registration(p, "unregistered:manual"));
        QCOMPARE(dialogs(), shown);
        QTRY_COMPARE(warnings(p, "warning_snd"), 2);

        QVERIFY(XTools::pressDialogButton(shown.first(), false));
        QVERIFY(p.daemon.waitForOutput("true-->false") > 0);
        QVERIFY(registration(p, "searching:auto") && registration(p, "unregistered:auto"));
        QVERIFY(dialogs().isEmpty());
        QVERIFY(registration(p, "registered:auto") && registration(p, "unregistered:auto"));
        shown = dialogs("^Network not available$", true);
        QCOMPARE(shown.size(), 1);

        QVERIFY(XTools::pressDialogButton(shown.first(), true));
        QVERIFY(p.daemon.waitForOutput("Bringing up the phone network settings") > 0 && p.daemon.ping());
        QCOMPARE(p.daemon.output().contains("ERROR! Failed to bring up the phone network settings applet"),
            !settings);
        if (settings)
            QCOMPARE(
                p.settings.control("/org/gnome/Settings", "GetPanels").arguments().value(0).toStringList(),
                QStringList { "wwan" });
        QVERIFY(dialogs().isEmpty());
        QVERIFY(p.notifications.shown().isEmpty());
    }

    // 1000 registration and card changes as fast as the simulator sends them.
    void burst()
    {
        Watched p(ready);
        QVERIFY(start(p));
        const char* const statuses[] = { "unregistered", "searching", "denied", "registered", "roaming" };
        QList<QDBusPendingCall> pending;
        for (int i = 0; i < 1000; ++i) {
            QDBusMessage call = QDBusMessage::createMethodCall("org.ofono", "/", "org.freedesktop.DBus.Mock",
                i % 10 == 9 ? "SetSimPresent" : "SetRegistration");
            call.setArguments(
                i % 10 == 9 ? QVariantList { i % 20 == 19 } : QVariantList { statuses[i % 5], "auto" });
            pending << p.ofono.bus().asyncCall(call);
        }
        for (QDBusPendingCall& call : pending)
            call.waitForFinished();
        QVERIFY(p.daemon.ping());
        // Questions only: notes the notification server is too slow for come
        // as banners, titled like the notes, and may stand beside a question.
        QVERIFY(dialogs("^(Phone not|Network not)").size() <= 1);
        QVERIFY(p.notifications.shown().contains(removed) && p.notifications.shown().contains(refused));
    }
};

QTEST_GUILESS_MAIN(TestWatcher)
#include "tst_watcher.moc"
