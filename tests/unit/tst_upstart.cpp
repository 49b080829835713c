#include <app/KorvadApp.h>

#include <FifoReader.h>

#include <QTemporaryDir>
#include <QTest>

// The boot-stage tokens, written by the real application object into a fifo
// that this test reads as the init system would.
class TestUpstart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eachTokenOnceInOrder()
    {
        int argc = 1;
        char arg0[] = "korvad";
        char* argv[] = { arg0, nullptr };
        KorvadApp app(argc, argv);
        FifoReader fifo;
        qputenv("KORVAD_UPSTART_FIFO", fifo.path().toLocal8Bit());

        app.updateUpstart(false, true);
        QVERIFY(fifo.waitForTokens(1));
        QCOMPARE(fifo.tokens(), QStringList { QStringLiteral("PIN_CODE_DONE") });

        // Ready is still owed; done is not written again.
        app.updateUpstart(true, true);
        app.updateUpstart(true, true);
        app.updateUpstart(true, false);
        QVERIFY(fifo.waitForTokens(2));
        // Nothing more may follow: a marker written by the test must come next.
        QVERIFY(std::system(qPrintable(QStringLiteral("echo END > '%1'").arg(fifo.path()))) == 0);
        QVERIFY(fifo.waitForTokens(3));
        QCOMPARE(fifo.tokens(),
            (QStringList {
                QStringLiteral("PIN_CODE_DONE"), QStringLiteral("KORVA_READY"), QStringLiteral("END") }));
    }

    void commandForm()
    {
        qunsetenv("KORVAD_UPSTART_FIFO");
        QCOMPARE(KorvadApp::upstartCommand("PIN_CODE_DONE"),
            QByteArray("echo PIN_CODE_DONE > /var/run/upstart.fifo "));
    }

    void pathIsNotShellInput()
    {
        // A path with shell syntax in it is written to, not run.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("it's $(touch pwned) ;x"));
        qputenv("KORVAD_UPSTART_FIFO", path.toLocal8Bit());
        QCOMPARE(std::system(KorvadApp::upstartCommand("KORVA_READY").constData()), 0);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("KORVA_READY\n"));
        QVERIFY(!QFile::exists(QStringLiteral("pwned")));
    }
};

QTEST_APPLESS_MAIN(TestUpstart)
#include "tst_upstart.moc"
