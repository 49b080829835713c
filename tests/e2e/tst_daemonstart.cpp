#include <Phone.h>
#include <XTools.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

// The real daemon's start: its command line and log outputs, one daemon per
// session, and the questions it asks before the PIN stage. A modem that
// failed turns it into a zombie that only shows the failure, and radios that
// are off ask whether to leave offline mode. Both hold the PIN stage until
// answered and, prestarted, wait for the platform's release.
class TestDaemonStart : public QObject
{
    Q_OBJECT

    static constexpr const char* Request = "/com/vexa/pavo/request";
    const QStringList Ready { u"KORVA_READY"_s };
    const QStringList ReadyDone { u"KORVA_READY"_s, u"PIN_CODE_DONE"_s };
    const QString Dialogs = u"^Error$|^Offline mode$"_s;

    static QVariantMap failedModem() { return { { u"power_fails"_s, true } }; }
    static MockService* pavo(const QVariantMap& params)
    {
        return new MockService(u"pavo"_s, u"com.vexa.pavo"_s, MockService::SystemBus, params);
    }
    static QString requested(bool offline)
    {
        return u"query manager requested, offline: %1"_s.arg(offline ? "true" : "false");
    }

private Q_SLOTS:
    void dialog_data()
    {
        QTest::addColumn<bool>("zombie");
        QTest::addColumn<bool>("prestarted");
        QTest::addColumn<QString>("answer"); // yes, no or enter
        QTest::newRow("zombie") << true << false << "enter";
        QTest::newRow("zombie, prestarted") << true << true << "enter";
        QTest::newRow("offline, yes") << false << false << "yes";
        QTest::newRow("offline, no") << false << false << "no";
        // Enter answers with the positive button, never with No.
        QTest::newRow("offline, enter") << false << false << "enter";
        QTest::newRow("offline, prestarted, no") << false << true << "no";
    }

    void dialog()
    {
        QFETCH(bool, zombie);
        QFETCH(bool, prestarted);
        QFETCH(QString, answer);
        const QString title = QLatin1String(zombie ? "^Error$" : "^Offline mode$");
        QScopedPointer<MockService> radios(pavo({ { u"radio_states"_s, 0u } }));
        FeedbackdMock feedbackd;
        QVERIFY(feedbackd.start() && (zombie || radios->start()));
        Phone phone(failedModem(), zombie);
        QVERIFY(phone.start(
            prestarted ? QStringList { u"-log"_s, u"-prestart"_s } : QStringList { u"-log"_s }, nullptr));
        QVERIFY2(phone.fifo.waitForTokens(1), qPrintable(phone.daemon.output()));
        QCOMPARE(phone.fifo.tokens(), Ready);
        if (prestarted) {
            QVERIFY(phone.daemon.ping());
            QVERIFY(XTools::findWindows(title, false).isEmpty());
            QVERIFY(DaemonProcess::release());
        }
        const QStringList windows = XTools::findWindows(title, true);
        QCOMPARE(windows.size(), 1);
        if (prestarted) {
            // A second release shows nothing more.
            QVERIFY(DaemonProcess::release());
            QVERIFY(phone.daemon.ping());
            QCOMPARE(XTools::findWindows(title, false).size(), 1);
        }
        // The dialog speaks English, not identifiers.
        QVERIFY(XTools::xprop(windows.first(), u"WM_NAME"_s)
                    .contains(QLatin1String(zombie ? "\"Error\"" : "\"Offline mode\"")));
        QVERIFY(phone.daemon.ping());
        const QString asked = phone.daemon.output();
        QVERIFY(!asked.contains("query manager requested"_L1));
        if (zombie) {
            // With the strong warning; the zombie offers none of the daemon's services.
            QTRY_COMPARE(feedbackd.events(), QStringList { u"warning_strong"_s });
            QCOMPARE(
                feedbackd.calls(u"/org/sigxcpu/Feedback"_s, u"TriggerFeedback"_s).first().value(0).toString(),
                u"korvad"_s);
            QVERIFY(asked.contains("Modem failure: korvad is zombie."_L1));
            QVERIFY(asked.contains("application name: korvad ZOMBIE\n"_L1));
            QVERIFY(!asked.contains("starting Korva UI daemon"_L1));
        }
        QCOMPARE(phone.fifo.tokens(), Ready);

        QVERIFY(answer == "enter"_L1 ? XTools::key(windows.first(), u"Return"_s)
                                     : XTools::pressDialogButton(windows.first(), answer == "yes"));
        const bool online = !zombie && answer != "no"_L1;
        if (!zombie)
            QVERIFY2(phone.daemon.waitForOutput(requested(!online)) > 0, qPrintable(phone.daemon.output()));
        const QList<QVariantList> switched
            = zombie ? QList<QVariantList>() : radios->calls(Request, u"req_radio_states_change"_s);
        if (online) {
            QCOMPARE(switched, (QList<QVariantList> { { 1u, 1u } }));
            QVERIFY(phone.daemon.ping());
            // PIN_CODE_DONE is the query manager's to write.
            QCOMPARE(phone.fifo.tokens(), Ready);
        } else {
            QVERIFY(switched.isEmpty());
            QVERIFY(phone.fifo.waitForTokens(2));
            QCOMPARE(phone.fifo.tokens(), ReadyDone);
        }
        if (prestarted)
            QVERIFY(DaemonProcess::release());
        QVERIFY(phone.daemon.ping());
        QVERIFY(XTools::findWindows(title, false).isEmpty());
        if (zombie)
            return;
        const QString out = phone.daemon.output();
        QCOMPARE(out.count("query manager requested"_L1), 1);
        QCOMPARE(radios->calls(Request, u"get_radio_states"_s).size(), 1);
        if (!online) {
            QVERIFY(out.indexOf("STAY IN OFFLINE"_L1) < out.indexOf("PIN_CODE_DONE in"_L1));
            QVERIFY(out.indexOf("PIN_CODE_DONE in"_L1) < out.indexOf(requested(true)));
        }
    }

    // Prestarted, no question, sheet or banner shows; the release brings them.
    void prestartShowsNothing()
    {
        Phone phone({ { u"pin_locked"_s, false } });
        QVERIFY(phone.start({ u"-log"_s, u"-prestart"_s }, "com.vexa.oma_cp_ui"));
        QVERIFY(Phone::send(u"com.vexa.korva_ui"_s, u"show_error_note"_s, { u"home_notification"_s }));
        QVERIFY(Phone::send(u"com.vexa.oma_cp_ui"_s, u"pin_query_req"_s, { false }));
        QVERIFY(Phone::send(u"com.vexa.oma_cp_ui"_s, u"notification_req"_s, { u"settings_received"_s }));
        QVERIFY(phone.waitLog(u"Create dialog"_s) && phone.waitLog(u"appearSystemwide"_s)
            && phone.waitLog(u"Banner::appear"_s));
        QVERIFY(phone.daemon.ping());
        QVERIFY(XTools::findWindows(u"."_s, false).isEmpty());
        QVERIFY(DaemonProcess::release());
        // The banner first: it goes by itself after a while.
        QVERIFY(!XTools::findWindows(u"^Connection settings received"_s, true).isEmpty());
        QTRY_COMPARE(XTools::findWindows(u"^Data limit|^Settings PIN code$"_s, false).size(), 2);
    }

    // Only a modem that failed is fatal, and only radios known to be off ask:
    // a device mode service that cannot say counts as online.
    void noDialog_data()
    {
        QTest::addColumn<bool>("withOfono");
        QTest::addColumn<QVariantMap>("ofono");
        QTest::addColumn<QVariantMap>("radios"); // empty: no device mode service
        const QVariantMap none;
        QTest::newRow("modem up") << true << none << none;
        QTest::newRow("modem unpowered") << true << QVariantMap { { "powered", false } } << none;
        QTest::newRow("no modem yet") << true << QVariantMap { { "modem_absent", true } } << none;
        QTest::newRow("nothing running") << false << none << none;
        QTest::newRow("radio states unknown: error")
            << false << none << QVariantMap { { "radio_states", 0u }, { "answer", "error" } };
        QTest::newRow("radio states unknown: no arguments")
            << false << none << QVariantMap { { "radio_states", 0u }, { "answer", "noargs" } };
    }

    void noDialog()
    {
        QFETCH(bool, withOfono);
        QFETCH(QVariantMap, ofono);
        QFETCH(QVariantMap, radios);
        QScopedPointer<MockService> mock(pavo(radios));
        QVERIFY(radios.isEmpty() || mock->start());
        Phone phone(ofono, withOfono);
        QVERIFY(phone.start({ u"-log"_s }, nullptr));
        QVERIFY2(phone.daemon.waitForOutput(requested(false)) > 0, qPrintable(phone.daemon.output()));
        QVERIFY(phone.daemon.ping());
        const QString out = phone.daemon.output();
        QVERIFY(out.contains("starting Korva UI daemon"_L1));
        QVERIFY(!out.contains("zombie"_L1));
        QVERIFY(XTools::findWindows(Dialogs, false).isEmpty());
        QVERIFY(!phone.fifo.tokens().contains(u"PIN_CODE_DONE"_s));
        if (!radios.isEmpty())
            QCOMPARE(mock->calls(Request, u"get_radio_states"_s).size(), 1);
    }

    // Stopping the zombie is no answer of the user's, and a stop while the
    // init system does not read its fifo is not lost.
    void interruptedZombie_data()
    {
        QTest::addColumn<bool>("reading");
        QTest::newRow("dialog shown") << true;
        QTest::newRow("token write blocked") << false;
    }

    void interruptedZombie()
    {
        QFETCH(bool, reading);
        Phone phone(failedModem());
        QTemporaryDir dir;
        const QString unread = dir.filePath(u"unread.fifo"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(unread).constData(), 0600), 0);
        if (!reading)
            phone.daemon.setFifo(unread);
        QVERIFY(phone.start({ u"-log"_s }, nullptr));
        QVERIFY(reading ? XTools::findWindows(u"^Error$"_s, true).size() == 1
                        : phone.daemon.waitForOutput(u"req: true false"_s) > 0);
        phone.daemon.interrupt();
        QVERIFY(phone.daemon.waitForExit());
        QCOMPARE(phone.daemon.process().exitCode(), 0);
        QCOMPARE(phone.daemon.output().contains("KORVA_READY not delivered: interrupted"_L1), !reading);
        // Whatever the daemon wrote comes before the marker.
        QVERIFY(std::system(qPrintable(u"echo END > '%1'"_s.arg(phone.fifo.path()))) == 0);
        QVERIFY(phone.fifo.waitForTokens(reading ? 2 : 1));
        QCOMPARE(phone.fifo.tokens().last(), u"END"_s);
        QVERIFY(!phone.fifo.tokens().contains(u"PIN_CODE_DONE"_s));
    }

    void firstOptionWins_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("output"); // usage, file, plain, uptime or toolkit

        QTest::newRow("hh") << QStringList { "-foo", "-hh" } << "usage";
        QTest::newRow("filelog before log") << QStringList { "-log", "-filelog" } << "file";
        QTest::newRow("log before uptimelog") << QStringList { "-uptimelog", "-log" } << "plain";
        QTest::newRow("uptimelog before hh") << QStringList { "-hh", "-uptimelog" } << "uptime";
        QTest::newRow("unknown options ignored")
            << QStringList { "-foo", "--log", "-LOG", "log" } << "toolkit";
        QTest::newRow("toolkit level debug") << QStringList { "-output-level", "debug" } << "toolkit-debug";
    }

    void firstOptionWins()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, output);
        DaemonProcess daemon;
        QVERIFY(daemon.start(args));
        if (output == "usage"_L1) {
            QVERIFY(daemon.waitForExit());
            QCOMPARE(daemon.process().exitStatus(), QProcess::NormalExit);
            QCOMPARE(daemon.process().exitCode(), 0);
            QVERIFY2(daemon.output().contains("\nUsage: korvad\n"_L1), qPrintable(daemon.output()));
            return;
        }
        QVERIFY2(daemon.ping(), qPrintable(daemon.output()));
        const QString err = daemon.output();
        QFile file(daemon.logFile());
        const QByteArray log = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();

        QVERIFY2(!err.contains("Usage:"_L1), qPrintable(err));
        QCOMPARE(log.contains("\tD: Start korvad process \n"), output == "file"_L1);
        static const QRegularExpression uptimeLine(
            u"^\\d+\\.\\d\\d\\t\\[korvad\\]\\tDebug: Start korvad process \\n"_s,
            QRegularExpression::MultilineOption);
        QCOMPARE(uptimeLine.match(err).hasMatch(), output == "uptime"_L1);
        QCOMPARE(err.contains(
                     QRegularExpression(u"^Start korvad process \\n"_s, QRegularExpression::MultilineOption)),
            output == "plain"_L1);
        QCOMPARE(err.contains("korvad: Debug: Start korvad process"_L1), output == "toolkit-debug"_L1);
        if (output == "file"_L1 || output == "toolkit"_L1)
            QVERIFY2(!err.contains("Start korvad process"_L1), qPrintable(err));
    }

    // A second daemon leaves at once, before it reports any boot stage; the
    // first quits once, however often it is interrupted.
    void oneDaemonQuitsOnce()
    {
        DaemonProcess first;
        QVERIFY(first.start());
        QVERIFY(first.ping());
        DaemonProcess second;
        QVERIFY(second.start());
        QVERIFY(second.waitForExit());
        QCOMPARE(second.process().exitCode(), 1);
        QVERIFY2(second.output().contains("Another korvad is running (com.vexa.korvad is taken)"_L1),
            qPrintable(second.output()));
        QVERIFY(!second.output().contains("KORVA_READY"_L1));

        QVERIFY(first.ping());
        first.interrupt();
        first.interrupt();
        QVERIFY(first.waitForExit());
        QCOMPARE(first.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.process().exitCode(), 0);
        QCOMPARE(first.output().count("Interrupted: quitting"_L1), 1);
    }
};

QTEST_GUILESS_MAIN(TestDaemonStart)
#include "tst_daemonstart.moc"
