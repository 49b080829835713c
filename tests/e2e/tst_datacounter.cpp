#include <Phone.h>
#include <XTools.h>

#include <QDBusConnectionInterface>
#include <QTest>

using namespace Qt::StringLiterals;

// The roaming question and the data-limit warnings of the real daemon, asked
// over the system bus, with counters in a private dconf, a simulated
// connectivity daemon and a simulated SIM.
class TestDataCounter : public QObject
{
    Q_OBJECT

    static constexpr const char* Service = "com.vexa.korva_ui";
    static constexpr const char* Path = "/com/vexa/korva_ui";
    static constexpr const char* Nexo = "/com/vexa/nexo2";
    static constexpr const char* LimitWindow = "^Data limit reached";
    static constexpr const char* RoamingWindow = "Allow data roaming";
    const QString question = u"Data limit reached. Continue using mobile data?"_s;
    const QString autoconnect = u"/system/olmo/connectivity/IAP/244051234567890/autoconnect"_s;
    const QString permission = u"/system/olmo/connectivity/network_type/GPRS/gprs_roaming_permission"_s;
    static QVariantList connection(const QString& id, int state = 2)
    {
        return { u"GPRS"_s, 0, id, u"GPRS"_s, 0, u"internet"_s, state };
    }

    QScopedPointer<Phone> m_phone;
    QScopedPointer<MockService> m_nexo;
    DaemonProcess* m_daemon = nullptr;
    QList<bool> m_roaming;

    static QString dconf(const QStringList& args) { return XTools::run(u"dconf"_s, args).trimmed(); }
    static void setConf(const QString& key, const QString& value)
    {
        if (!value.isEmpty())
            dconf({ u"write"_s, key, value });
    }

    bool start(QVariantMap ofono, const QVariantMap& nexo, bool nexoUp = true)
    {
        // A SIM without PIN lock: its IMSI can be read.
        ofono.insert(u"pin_locked"_s, ofono.value(u"pin_locked"_s, false));
        m_phone.reset(new Phone(ofono));
        m_daemon = &m_phone->daemon;
        m_nexo.reset(new MockService(u"nexo2"_s, u"com.vexa.nexo2"_s, MockService::SystemBus, nexo));
        return (!nexoUp || m_nexo->start()) && m_phone->start({ u"-log"_s }, Service);
    }

    static void request(const QString& method, const QVariantList& args = {})
    {
        QVERIFY(Phone::send(QLatin1String(Service), method, args));
    }

    // A round trip through the daemon's event loop on the system bus, after
    // which every signal it sent before has arrived here.
    bool ping()
    {
        // A caller that waits gets an (empty) reply once the request was handled.
        QDBusMessage call = QDBusMessage::createMethodCall(
            QLatin1String(Service), QLatin1String(Path), QLatin1String(Service), u"show_error_note"_s);
        call << u"ping"_s;
        const bool ok = QDBusConnection::systemBus().call(call, QDBus::Block, 20000).type()
            == QDBusMessage::ReplyMessage;
        QCoreApplication::processEvents();
        return ok;
    }

    // Opens a dialog by `method` and checks the two texts it shows.
    QString open(const QString& method, const QVariantList& args, const char* window, const QString& texts)
    {
        request(method, args);
        const QStringList windows = XTools::findWindows(QLatin1String(window), true);
        if (windows.size() != 1)
            return QString();
        if (m_daemon->waitForOutput(u"showDialog(const QString&, const QString&): "_s + texts) < 0)
            return QString();
        return windows.first();
    }

    bool answer(const QString& window, bool yes)
    {
        return XTools::pressDialogButton(window, yes)
            && m_daemon->waitForOutput(yes ? u"confirmed: true"_s : u"confirmed: false"_s) > 0;
    }

    void checkUntouched()
    {
        QVERIFY(m_nexo->calls(QLatin1String(Nexo), u"state_req"_s).isEmpty());
        QCOMPARE(dconf({ u"dump"_s, u"/system/"_s }), QString());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QDBusConnection::systemBus().connect(QLatin1String(Service), QLatin1String(Path),
            QLatin1String(Service), u"roaming"_s, this, SLOT(onRoaming(bool))));
    }

    void init()
    {
        m_roaming.clear();
        dconf({ u"reset"_s, u"-f"_s, u"/"_s });
    }

    void cleanup()
    {
        m_phone.reset();
        m_nexo.reset();
    }

    void onRoaming(bool yes) { m_roaming << yes; }

    // Yes to every warning: its texts as shown, and nothing else happens.
    void limitWarning_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("bytes");
        QTest::addColumn<QString>("reset");
        QTest::addColumn<QString>("details");
        const QString mb = u"int64 600000"_s;
        const QString home = u"You have transferred 1.2 MB of data in your home network"_s;
        QTest::newRow("home since") << "home" << mb << "'5.3.2026'" << home + " since 5 Mar 2026.";
        QTest::newRow("home never, whole megabytes")
            << "home"
            << "int64 6000000"
            << "'qtn_cell_counters_never'"
            << "You have transferred 12.0 MB of data in your home network.";
        // Only a real day.month.year of a sane year is a date.
        for (const char* date : { "'31.2.2026'", "'1.1.2000.5.6'", "'1.1.99999999'", "'+1.1.2020'" })
            QTest::newRow(date) << "home" << mb << date << home + ".";
        QTest::newRow("roaming since")
            << "roaming" << mb << "'5.3.2026'"
            << "You have transferred 1.2 MB of data while roaming since 5 Mar 2026.";
        QTest::newRow("clamped") << "roaming"
                                 << "int64 9223372036854775807"
                                 << ""
                                 << "You have transferred 2,147,483,647.0 MB of data while roaming.";
    }

    void limitWarning()
    {
        QFETCH(QString, type);
        QFETCH(QString, bytes);
        QFETCH(QString, reset);
        QFETCH(QString, details);
        const QString transfer = u"/korva/settings/datacounter/transfer/gprs_%1_"_s.arg(type);
        setConf(transfer + u"tx_bytes"_s, bytes);
        setConf(transfer + u"rx_bytes"_s, bytes);
        setConf(u"/korva/settings/datacounter/general/gprs_%1_last_reset"_s.arg(type), reset);
        QVERIFY(start({}, { { u"connections"_s, QVariantList { connection("a") } } }));

        const QString window = open(u"show_error_note"_s, { type + u"_notification"_s }, LimitWindow,
            question + QLatin1Char(' ') + details);
        QVERIFY2(!window.isEmpty(), qPrintable(m_daemon->output()));
        QVERIFY(m_daemon->waitForOutput(u"playNGFEvent(QString): \"warning_strong\""_s) > 0);
        QVERIFY(answer(window, true));
        QVERIFY(ping());
        checkUntouched();
    }

    // The warning in the user's language: numbers and the reset date in the
    // locale's own digits and order; Enter takes the positive button.
    void limitWarningInLanguage_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("texts");
        QTest::newRow("German") << "de_DE.UTF-8"
                                << "^Datenlimit erreicht"
                                << u"Datenlimit erreicht. Mobile Daten weiter nutzen? "
                                   "Sie haben seit 5. März 2026 im Heimnetz 1,2 MB Daten übertragen."_s;
        QTest::newRow("Arabic") << "ar_EG.UTF-8"
                                << "."
                                << u"تم بلوغ حد البيانات. هل تريد مواصلة استخدام بيانات الجوّال؟ "
                                   "لقد نقلت ١٫٢ ميغابايت من البيانات في شبكتك المحلية منذ ٥ مارس ٢٠٢٦."_s;
    }

    void limitWarningInLanguage()
    {
        QFETCH(QString, lang);
        QFETCH(QString, window);
        QFETCH(QString, texts);
        const QString transfer = u"/korva/settings/datacounter/transfer/gprs_home_"_s;
        setConf(transfer + u"tx_bytes"_s, u"int64 600000"_s);
        setConf(transfer + u"rx_bytes"_s, u"int64 600000"_s);
        setConf(u"/korva/settings/datacounter/general/gprs_home_last_reset"_s, u"'5.3.2026'"_s);
        // The daemon takes this process's environment when it starts.
        const QByteArray before = qgetenv("LANG");
        qputenv("LANG", lang.toUtf8());
        const bool started = start({}, { { u"connections"_s, QVariantList { connection("a") } } });
        qputenv("LANG", before);
        QVERIFY(started);
        const QString shown
            = open(u"show_error_note"_s, { u"home_notification"_s }, qPrintable(window), texts);
        QVERIFY2(!shown.isEmpty(), qPrintable(m_daemon->output().right(1500)));
        QVERIFY(XTools::key(shown, u"Return"_s));
        QVERIFY(m_daemon->waitForOutput(u"confirmed: true"_s) > 0);
        checkUntouched();
    }

    // No to a warning: the connections go down, then the setting follows.
    // Every report is answered with a disconnect, the disconnected one too.
    void declined_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QVariantMap>("ofono");
        QTest::addColumn<QVariantMap>("nexo");
        QTest::addColumn<bool>("nexoUp");
        QTest::addColumn<int>("disconnects");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("logged");
        const QVariantMap one { { "connections", QVariantList { connection("a") } } };
        const QVariantMap two { { "connections", QVariantList { connection("a"), connection("b") } } };
        const QString off = "[olmo/connectivity/IAP/244051234567890]\nautoconnect=false";
        const QString noRoaming = "[olmo/connectivity/network_type/GPRS]\ngprs_roaming_permission=0";
        const QVariantMap sim;
        QTest::newRow("roaming") << "roaming" << sim << one << true << 2 << noRoaming << "disable roaming";
        QTest::newRow("two connections") << "home" << sim << two << true << 3 << off << "disabling";
        QTest::newRow("already down")
            << "home" << sim << QVariantMap { { "connections", QVariantList { connection("a", 0) } } } << true
            << 1 << off << "disabling";
        QTest::newRow("no connection") << "home" << sim << QVariantMap() << true << 0 << ""
                                       << "nums: 0";
        QTest::newRow("daemon absent") << "home" << sim << QVariantMap() << false << 0 << ""
                                       << "nexo valid: false";
        QTest::newRow("daemon hung") << "home" << sim << QVariantMap { { "answer", "hang" } } << true << 0
                                     << ""
                                     << "error reply: org.freedesktop.DBus.Error.NoReply";
        QTest::newRow("IMSI unreadable")
            << "home" << QVariantMap { { "pin_locked", true } } << one << true << 2 << ""
            << "SimNotReady";
        QTest::newRow("IMSI not digits")
            << "home" << QVariantMap { { "imsi", "24405/../../x" } } << one << true << 2 << ""
            << "is not an IMSI";
        QTest::newRow("IMSI ending in a newline")
            << "home" << QVariantMap { { "imsi", "12345\n" } } << one << true << 2 << ""
            << "is not an IMSI";
    }

    void declined()
    {
        QFETCH(QString, type);
        QFETCH(QVariantMap, ofono);
        QFETCH(QVariantMap, nexo);
        QFETCH(bool, nexoUp);
        QFETCH(int, disconnects);
        QFETCH(QString, settings);
        QFETCH(QString, logged);
        QVERIFY(start(ofono, nexo, nexoUp));
        const QString window
            = open(u"show_error_note"_s, { type + u"_notification"_s }, LimitWindow, question);
        QVERIFY2(!window.isEmpty(), qPrintable(m_daemon->output()));
        QVERIFY(answer(window, false));
        QVERIFY2(m_daemon->waitForOutput(logged) > 0, qPrintable(m_daemon->output()));
        QVERIFY(ping());

        QCOMPARE(dconf({ u"dump"_s, u"/system/"_s }), settings);
        if (!nexoUp)
            return;
        const QList<QVariantList> calls = m_nexo->calls(QLatin1String(Nexo), u"disconnect_req"_s);
        QCOMPARE(calls.size(), disconnects);
        if (disconnects > 0)
            QCOMPARE(calls.first(),
                (QVariantList { 0x8000u, u"GPRS"_s, 0u, u"a"_s, u"GPRS"_s, 0u, QByteArray("internet") }));
    }

    // A declined warning with nothing connected is remembered for the next,
    // whichever came first.
    void pendingActionKept_data()
    {
        QTest::addColumn<QStringList>("types");
        QTest::newRow("home, then roaming") << QStringList { "home", "roaming" };
        QTest::newRow("roaming, then home") << QStringList { "roaming", "home" };
    }

    void pendingActionKept()
    {
        QFETCH(QStringList, types);
        QVERIFY(start({}, {}));
        QString window
            = open(u"show_error_note"_s, { types.at(0) + u"_notification"_s }, LimitWindow, question);
        QVERIFY(answer(window, false));
        QVERIFY(m_daemon->waitForOutput(u"nums: 0"_s) > 0);
        QVERIFY(ping());
        QCOMPARE(dconf({ u"dump"_s, u"/system/"_s }), QString());

        m_nexo->control(QLatin1String(Nexo), u"AddConnection"_s,
            { u"GPRS"_s, 0u, u"a"_s, u"GPRS"_s, 0u, QByteArray("internet"), 2u });
        window = open(u"show_error_note"_s, { types.at(1) + u"_notification"_s }, LimitWindow, question);
        QVERIFY(answer(window, false));
        QVERIFY(m_daemon->waitForOutput(u"disabling"_s) > 0);
        QVERIFY(ping());
        QVERIFY2(dconf({ u"read"_s, autoconnect }) == "false"_L1, "home autoconnect left on");
        QVERIFY2(dconf({ u"read"_s, permission }) == "0"_L1, "data roaming left allowed");
    }

    void roamingQuestion_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("period");
        QTest::addColumn<QString>("info");
        QTest::newRow("yes, with step") << true << "int64 10500000"
                                        << " You will be notified after every 10.5 MB of data.";
        QTest::newRow("no, without step") << false << ""
                                          << " ";
        QTest::newRow("step clamped") << false << "int64 9223372036854775807"
                                      << " You will be notified after every 2,147,483,647.0 MB of data.";
    }

    void roamingQuestion()
    {
        QFETCH(bool, yes);
        QFETCH(QString, period);
        QFETCH(QString, info);
        setConf(u"/korva/settings/datacounter/general/gprs_roaming_notification_period"_s, period);
        QVERIFY(start({}, {}));
        const QString window = open(u"show_roaming_dlg"_s, {}, RoamingWindow,
            u"Mobile data while roaming may be expensive. Allow data roaming?"_s + info);
        QVERIFY2(!window.isEmpty(), qPrintable(m_daemon->output()));
        QVERIFY(answer(window, yes));
        QTRY_COMPARE(m_roaming, QList<bool> { yes });
        checkUntouched();
    }

    // A second request only replaces the open dialog's texts and gets no
    // answer; a warning of no known type opens nothing.
    void requestWhileOpen()
    {
        QVERIFY(start({}, {}));
        request(u"show_error_note"_s, { u"home_notification "_s });
        QVERIFY(m_daemon->waitForOutput(u"Unexpected error received: \"home_notification \""_s) > 0);
        const QString window = open(u"show_error_note"_s, { u"home_notification"_s }, LimitWindow, question);
        QVERIFY(!window.isEmpty());
        request(u"show_roaming_dlg"_s);
        QVERIFY(m_daemon->waitForOutput(u"Update existing dialog"_s) > 0);
        QCOMPARE(XTools::findWindows(QLatin1String(RoamingWindow), true), QStringList { window });
        QVERIFY(answer(window, true));
        QVERIFY(ping());
        QVERIFY(m_roaming.isEmpty());
        QCOMPARE(m_daemon->output().count("Create dialog"_L1), 1);
        checkUntouched();
    }

    // The daemon ending while a warning or the roaming question is open is
    // no answer: nothing is disconnected, no setting changes, no `roaming`.
    void shutdownIsNoAnswer_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QString>("window");
        QTest::newRow("warning") << "show_error_note" << QVariantList { "home_notification" } << LimitWindow;
        QTest::newRow("roaming question") << "show_roaming_dlg" << QVariantList() << RoamingWindow;
    }

    void shutdownIsNoAnswer()
    {
        QFETCH(QString, method);
        QFETCH(QVariantList, args);
        QFETCH(QString, window);
        QVERIFY(start({}, {}));
        request(method, args);
        QCOMPARE(XTools::findWindows(window, true).size(), 1);
        m_daemon->interrupt();
        QVERIFY(m_daemon->waitForExit());
        // Whatever it sent before leaving the bus has arrived once it is off.
        QTRY_VERIFY(!QDBusConnection::systemBus().interface()->isServiceRegistered(QLatin1String(Service)));
        QCoreApplication::processEvents();
        QVERIFY2(m_roaming.isEmpty(), "the roaming question answered at shutdown");
        QVERIFY(m_daemon->output().contains("dialog closed by shutdown"_L1));
        checkUntouched();
    }
};

QTEST_GUILESS_MAIN(TestDataCounter)
#include "tst_datacounter.moc"
