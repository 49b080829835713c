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

    // The token goes into a fifo, even one whose name is shell syntax, and
    // nowhere else: nothing is created, truncated or written through a link.
    void tokenOnlyIntoAFifo_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : { "fifo", "missing", "file", "link" })
            QTest::newRow(kind) << kind;
    }

    void tokenOnlyIntoAFifo()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("it's $(touch pwned) ;x"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK);
        const QString path = kind == QLatin1String("fifo") ? fifo : dir.filePath(QStringLiteral("upstart"));
        if (kind == QLatin1String("file"))
            QVERIFY(std::system(qPrintable(QStringLiteral("echo keep > '%1'").arg(path))) == 0);
        else if (kind == QLatin1String("link"))
            QVERIFY(QFile::link(fifo, path));
        qputenv("KORVAD_UPSTART_FIFO", path.toLocal8Bit());

        QCOMPARE(KorvadApp::writeToken("KORVA_READY"), kind == QLatin1String("fifo"));
        char buf[64];
        const ssize_t n = ::read(reader, buf, sizeof buf);
        ::close(reader);
        QCOMPARE(QByteArray(buf, qMax<ssize_t>(n, 0)),
            QByteArray(kind == QLatin1String("fifo") ? "KORVA_READY\n" : ""));
        QFile left(path);
        QCOMPARE(left.exists() || QFileInfo(path).isSymLink(), kind != QLatin1String("missing"));
        if (kind == QLatin1String("file"))
            QVERIFY(left.open(QIODevice::ReadOnly) && left.readAll() == "keep\n");
        QVERIFY(!QFile::exists(QStringLiteral("pwned")));
    }
};

QTEST_APPLESS_MAIN(TestUpstart)
#include "tst_upstart.moc"
