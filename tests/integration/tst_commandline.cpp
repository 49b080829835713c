#include <DaemonProcess.h>

#include <QFile>
#include <QRegularExpression>
#include <QTest>

// The real binary's command line and log outputs.
class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
        if (output == QLatin1String("usage")) {
            QVERIFY(daemon.waitForExit());
            QCOMPARE(daemon.process().exitStatus(), QProcess::NormalExit);
            QCOMPARE(daemon.process().exitCode(), 0);
            QVERIFY2(
                daemon.output().contains(QLatin1String("\nUsage: korvad\n")), qPrintable(daemon.output()));
            return;
        }
        QVERIFY2(daemon.ping(), qPrintable(daemon.output()));
        const QString err = daemon.output();
        QFile file(daemon.logFile());
        const QByteArray log = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();

        QVERIFY2(!err.contains(QLatin1String("Usage:")), qPrintable(err));
        QCOMPARE(log.contains("\tD: Start korvad process \n"), output == QLatin1String("file"));
        static const QRegularExpression uptimeLine(
            QStringLiteral("^\\d+\\.\\d\\d\\t\\[korvad\\]\\tDebug: Start korvad process \\n"),
            QRegularExpression::MultilineOption);
        QCOMPARE(uptimeLine.match(err).hasMatch(), output == QLatin1String("uptime"));
        QCOMPARE(err.contains(QRegularExpression(
                     QStringLiteral("^Start korvad process \\n"), QRegularExpression::MultilineOption)),
            output == QLatin1String("plain"));
        QCOMPARE(err.contains(QLatin1String("korvad: Debug: Start korvad process")),
            output == QLatin1String("toolkit-debug"));
        if (output == QLatin1String("file") || output == QLatin1String("toolkit"))
            QVERIFY2(!err.contains(QLatin1String("Start korvad process")), qPrintable(err));
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
        QVERIFY2(
            second.output().contains(QLatin1String("Another korvad is running (com.vexa.korvad is taken)")),
            qPrintable(second.output()));
        QVERIFY(!second.output().contains(QLatin1String("KORVA_READY")));

        QVERIFY(first.ping());
        first.interrupt();
        first.interrupt();
        QVERIFY(first.waitForExit());
        QCOMPARE(first.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.process().exitCode(), 0);
        QCOMPARE(first.output().count(QLatin1String("Interrupted: quitting")), 1);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
