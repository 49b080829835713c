#include <app/KorvadApp.h>

#include <FifoReader.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The boot-stage tokens, written by the real application object into a fifo
// that this test reads as the init system would.
class TestUpstart : public QObject
{
    Q_OBJECT

private:
    // A fifo held open for reading (and writing, so it never blocks a writer).
    static int openFifo(const QString& path)
    {
        const QByteArray name = QFile::encodeName(path);
        return ::mkfifo(name.constData(), 0600) == 0 ? ::open(name.constData(), O_RDWR | O_NONBLOCK) : -1;
    }

    static QByteArray readAll(int fd)
    {
        char buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        return n > 0 ? QByteArray(buf, n) : QByteArray();
    }

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
        const int reader = openFifo(path);
        QVERIFY(reader >= 0);
        qputenv("KORVAD_UPSTART_FIFO", path.toLocal8Bit());
        QVERIFY(KorvadApp::writeToken("KORVA_READY"));
        QCOMPARE(readAll(reader), QByteArray("KORVA_READY\n"));
        ::close(reader);
        QVERIFY(!QFile::exists(QStringLiteral("pwned")));
    }

    // Only a fifo gets the token: nothing is created, truncated or written
    // through a link.
    void onlyAFifoGetsTheToken_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("regular file") << "file";
        QTest::newRow("link to a fifo") << "link";
    }

    void onlyAFifoGetsTheToken()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("real.fifo"));
        const int reader = openFifo(fifo);
        QVERIFY(reader >= 0);
        const QString path = dir.filePath(QStringLiteral("upstart.fifo"));
        if (kind == QLatin1String("file")) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("keep\n");
        } else if (kind == QLatin1String("link")) {
            QVERIFY(QFile::link(fifo, path));
        }
        qputenv("KORVAD_UPSTART_FIFO", path.toLocal8Bit());
        QVERIFY(!KorvadApp::writeToken("KORVA_READY"));

        QFileInfo after(path);
        QCOMPARE(after.exists() || after.isSymLink(), kind != QLatin1String("missing"));
        if (kind == QLatin1String("file")) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), QByteArray("keep\n"));
        }
        // Nothing went through the link: the fifo holds only the marker.
        QVERIFY(std::system(qPrintable(QStringLiteral("echo END > '%1'").arg(fifo))) == 0);
        QCOMPARE(readAll(reader), QByteArray("END\n"));
        ::close(reader);
    }
};

QTEST_APPLESS_MAIN(TestUpstart)
#include "tst_upstart.moc"
