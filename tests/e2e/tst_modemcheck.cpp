#include <DaemonProcess.h>
#include <FifoReader.h>
#include <MockService.h>
#include <XTools.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// The start-up modem check of the real daemon against a simulated oFono:
// a failed modem turns korvad into a zombie that only shows the failure and
// reports both boot stages.
class TestModemCheck : public QObject
{
    Q_OBJECT

private:
    static constexpr const char* DialogTitle = "^Error$";

    static QVariantMap failedModem() { return { { QStringLiteral("power_fails"), true } }; }

private Q_SLOTS:
    // Prestarted, the dialog waits for the platform's release; a second
    // release shows nothing more.
    void failedModemMakesZombie_data()
    {
        QTest::addColumn<bool>("prestarted");
        QTest::newRow("started") << false;
        QTest::newRow("prestarted") << true;
    }

    void failedModemMakesZombie()
    {
        QFETCH(bool, prestarted);
        MockService ofono(
            QStringLiteral("ofono_sim"), QStringLiteral("org.ofono"), MockService::SystemBus, failedModem());
        QVERIFY(ofono.start());
        MockService feedbackd(
            QStringLiteral("feedbackd"), QStringLiteral("org.sigxcpu.Feedback"), MockService::SessionBus);
        QVERIFY(feedbackd.start());
        FifoReader fifo;
        DaemonProcess daemon;
        daemon.setFifo(fifo.path());
        QVERIFY(daemon.start(prestarted ? QStringList { QStringLiteral("-log"), QStringLiteral("-prestart") }
                                        : QStringList { QStringLiteral("-log") }));
        QVERIFY2(fifo.waitForTokens(1), qPrintable(daemon.output()));
        QCOMPARE(fifo.tokens(), QStringList { QStringLiteral("KORVA_READY") });
        if (prestarted) {
            QVERIFY(daemon.ping());
            QVERIFY(XTools::findWindows(QLatin1String(DialogTitle), false).isEmpty());
            QVERIFY(DaemonProcess::release());
        }
        const QStringList windows = XTools::findWindows(QLatin1String(DialogTitle), true);
        QCOMPARE(windows.size(), 1);
        if (prestarted) {
            QVERIFY(DaemonProcess::release());
            QVERIFY(daemon.ping());
            QCOMPARE(XTools::findWindows(QLatin1String(DialogTitle), false).size(), 1);
        }
        // The dialog comes with the strong warning feedback.
        const QString feedbackPath = QStringLiteral("/org/sigxcpu/Feedback");
        QTRY_COMPARE(feedbackd.calls(feedbackPath, QStringLiteral("TriggerFeedback")).size(), 1);
        const QVariantList trigger = feedbackd.calls(feedbackPath, QStringLiteral("TriggerFeedback")).first();
        QCOMPARE(trigger.value(0).toString(), QStringLiteral("korvad"));
        QCOMPARE(trigger.value(1).toString(), QStringLiteral("warning_strong"));
        QVERIFY(daemon.ping());
        QVERIFY(daemon.output().contains(QLatin1String("Modem failure: korvad is zombie.")));
        // The dialog speaks English, not identifiers.
        QVERIFY(
            XTools::xprop(windows.first(), QStringLiteral("WM_NAME")).contains(QLatin1String("\"Error\"")));
        QVERIFY(daemon.output().contains(QLatin1String("application name: korvad ZOMBIE\n")));
        // The boot waits for the user; the zombie offers none of the daemon's services.
        QCOMPARE(fifo.tokens().size(), 1);
        QVERIFY(!daemon.output().contains(QLatin1String("starting Korva UI daemon")));

        QVERIFY(XTools::key(windows.first(), QStringLiteral("Return")));
        QVERIFY(fifo.waitForTokens(2));
        QCOMPARE(
            fifo.tokens(), (QStringList { QStringLiteral("KORVA_READY"), QStringLiteral("PIN_CODE_DONE") }));
        if (prestarted)
            QVERIFY(DaemonProcess::release());
        QVERIFY(daemon.ping());
        QVERIFY(XTools::findWindows(QLatin1String(DialogTitle), false).isEmpty());
    }

    void onlyAFailedModemIsFatal_data()
    {
        QTest::addColumn<bool>("withOfono");
        QTest::addColumn<QVariantMap>("params");
        QTest::newRow("modem up") << true << QVariantMap {};
        QTest::newRow("modem unpowered") << true << QVariantMap { { QStringLiteral("powered"), false } };
        QTest::newRow("no modem yet") << true << QVariantMap { { QStringLiteral("modem_absent"), true } };
        QTest::newRow("oFono absent") << false << QVariantMap {};
    }

    void onlyAFailedModemIsFatal()
    {
        QFETCH(bool, withOfono);
        QFETCH(QVariantMap, params);
        MockService ofono(
            QStringLiteral("ofono_sim"), QStringLiteral("org.ofono"), MockService::SystemBus, params);
        if (withOfono)
            QVERIFY(ofono.start());
        DaemonProcess daemon;
        QVERIFY(daemon.start());
        QVERIFY(daemon.ping());
        QVERIFY2(
            daemon.output().contains(QLatin1String("starting Korva UI daemon")), qPrintable(daemon.output()));
        QVERIFY(!daemon.output().contains(QLatin1String("zombie")));
        QVERIFY(XTools::findWindows(QLatin1String(DialogTitle), false).isEmpty());
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
        MockService ofono(
            QStringLiteral("ofono_sim"), QStringLiteral("org.ofono"), MockService::SystemBus, failedModem());
        QVERIFY(ofono.start());
        FifoReader fifo;
        QTemporaryDir dir;
        const QString unread = dir.filePath(QStringLiteral("unread.fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(unread).constData(), 0600), 0);
        DaemonProcess daemon;
        daemon.setFifo(reading ? fifo.path() : unread);
        QVERIFY(daemon.start());
        QVERIFY(reading ? XTools::findWindows(QLatin1String(DialogTitle), true).size() == 1
                        : daemon.waitForOutput(QStringLiteral("req: true false")) > 0);
        daemon.interrupt();
        QVERIFY(daemon.waitForExit());
        QCOMPARE(daemon.process().exitCode(), 0);
        QCOMPARE(daemon.output().contains(QLatin1String("KORVA_READY not delivered: interrupted")), !reading);
        // Whatever the daemon wrote comes before the marker.
        QVERIFY(std::system(qPrintable(QStringLiteral("echo END > '%1'").arg(fifo.path()))) == 0);
        QVERIFY(fifo.waitForTokens(reading ? 2 : 1));
        QCOMPARE(fifo.tokens().last(), QStringLiteral("END"));
        QVERIFY(!fifo.tokens().contains(QStringLiteral("PIN_CODE_DONE")));
    }
};

QTEST_GUILESS_MAIN(TestModemCheck)
#include "tst_modemcheck.moc"
