#include <app/KorvadApp.h>
#include <app/LogOutput.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// The log outputs, and the boot-stage tokens the real application object
// writes for the init system.
class TestLogOutput : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_log;
    QScopedPointer<KorvadApp> m_app;

    static QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void initTestCase()
    {
        static int argc = 1;
        static char arg0[] = "korvad";
        static char* argv[] = { arg0, nullptr };
        m_app.reset(new KorvadApp(argc, argv));
    }

    void init()
    {
        m_log = m_dir.filePath(u"korvad-%1.log"_s.arg(QTest::currentTestFunction()));
        QFile::remove(m_log);
        qputenv("KORVAD_LOG_FILE", QFile::encodeName(m_log));
        qInstallMessageHandler(LogOutput::fileHandler);
    }

    void cleanup() { qInstallMessageHandler(nullptr); }

    // Each level keeps its own mark in both formats: a dated line in the
    // file, seconds since boot on standard error.
    void levels_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("uptime");
        QTest::newRow("debug") << int(QtDebugMsg) << QByteArray("D") << QByteArray("Debug");
        QTest::newRow("info") << int(QtInfoMsg) << QByteArray("D") << QByteArray("Debug");
        QTest::newRow("warning") << int(QtWarningMsg) << QByteArray("W") << QByteArray("Warning");
        QTest::newRow("critical") << int(QtCriticalMsg) << QByteArray("C") << QByteArray("Critical");
    }

    void levels()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, uptime);
        const QMessageLogContext context;
        LogOutput::fileHandler(QtMsgType(type), context, u"m"_s);
        const QByteArray line = read(m_log);
        QCOMPARE(line.mid(line.indexOf('\t')), "\t" + file + ": m\n");
        QVERIFY2(line.contains(QByteArray::number(QDate::currentDate().year())), line.constData()); // dated

        // Standard error into a file for the one line.
        const QString errPath = m_dir.filePath(u"stderr"_s);
        const int saved = ::dup(STDERR_FILENO);
        const int fd = ::open(QFile::encodeName(errPath).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, STDERR_FILENO);
        LogOutput::uptimeHandler(QtMsgType(type), context, u"m"_s);
        std::fflush(stderr);
        ::dup2(saved, STDERR_FILENO);
        ::close(fd);
        ::close(saved);
        const QString written = QString::fromLocal8Bit(read(errPath));
        const QRegularExpression form(
            u"^\\d+\\.\\d\\d\\t\\[korvad\\]\\t%1: m\\n$"_s.arg(QLatin1String(uptime)));
        QVERIFY2(form.match(written).hasMatch(), qPrintable(written));
    }

    void appendsAndKeepsPrivate()
    {
        QVERIFY(std::system(qPrintable(u"umask 077; echo earlier > '%1'"_s.arg(m_log))) == 0);
        qWarning("later");
        QVERIFY(read(m_log).startsWith("earlier\n") && read(m_log).endsWith("\tW: later\n"));

        QFile::remove(m_log);
        qWarning("fresh");
        struct stat st;
        QVERIFY(::stat(QFile::encodeName(m_log).constData(), &st) == 0 && (st.st_mode & 0777) == 0600);
    }

    // Whatever is at the log path, the daemon's lines never reach a file
    // that someone else can read, and never block.
    void refusedLogFiles_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : { "symlink", "hardlink", "other owner", "fifo" })
            QTest::newRow(kind) << kind;
    }

    void refusedLogFiles()
    {
        QFETCH(QString, kind);
        if (kind == "other owner"_L1 && ::geteuid() != 0)
            QSKIP("only root can give a file to another user");
        const QByteArray log = QFile::encodeName(m_log);
        const QString victim = kind == "other owner"_L1 ? m_log : m_dir.filePath(u"victim"_s);
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("untouched") && file.flush());
        const QByteArray target = QFile::encodeName(victim);
        const int made = kind == "symlink"_L1 ? ::symlink(target.constData(), log.constData())
            : kind == "hardlink"_L1           ? ::link(target.constData(), log.constData())
            : kind == "fifo"_L1               ? ::mkfifo(log.constData(), 0600)
                                              : ::chown(log.constData(), 65534, 65534);
        QCOMPARE(made, 0);
        qWarning("secret");
        QVERIFY(!LogOutput::appendToLogFile("line\n"));
        QFile check(victim);
        QVERIFY(check.open(QIODevice::ReadOnly) && check.readAll() == "untouched");
    }

    // A text that came from a peer stays on its own line and within bounds.
    void peerTextStaysOneLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("logged");
        QTest::newRow("forged line") << u"failed\n1 Jan 2026 10:00:00\tW: all good"_s
                                     << QByteArray("failed\\n1 Jan 2026 10:00:00\\tW: all good");
        QTest::newRow("terminal escapes")
            << u"a\x1b[2Jb\rc\x7f\u0085"_s << QByteArray("a\\x1b[2Jb\\rc\\x7f\\x85");
        QTest::newRow("the daemon's own marker")
            << u"\n\n** KORVA_READY in x"_s << QByteArray("\n\n** KORVA_READY in x");
        const QString huge(1 << 20, QLatin1Char('e'));
        QTest::newRow("huge") << huge
                              << QByteArray(LogOutput::MaxMessageLength, 'e')
                + "... [cut, 1048576 characters]";
    }

    void peerTextStaysOneLine()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, logged);
        LogOutput::select({ u"-filelog"_s });
        qWarning("%s", qPrintable(text));
        const QByteArray line = read(m_log);
        QCOMPARE(line.mid(line.indexOf('\t')), "\tW: " + logged + '\n');
    }

    // The tokens go into a fifo, even one whose name is shell syntax, each
    // once and in the order asked for, and nowhere else: nothing is created,
    // truncated or written through a link.
    void tokens_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : { "fifo", "missing", "file", "link" })
            QTest::newRow(kind) << kind;
    }

    void tokens()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString fifo = dir.filePath(u"it's $(touch pwned) ;x"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK);
        const QString path = kind == "fifo"_L1 ? fifo : dir.filePath(u"upstart"_s);
        if (kind == "file"_L1)
            QVERIFY(std::system(qPrintable(u"echo keep > '%1'"_s.arg(path))) == 0);
        else if (kind == "link"_L1)
            QVERIFY(QFile::link(fifo, path));
        qputenv("KORVAD_UPSTART_FIFO", path.toLocal8Bit());

        if (kind == "fifo"_L1) {
            // Done first: ready is still owed; done is not written again.
            m_app->updateUpstart(false, true);
            m_app->updateUpstart(true, true);
            m_app->updateUpstart(true, false);
        } else {
            QVERIFY(!KorvadApp::writeToken("KORVA_READY"));
        }
        char buf[64];
        const ssize_t n = ::read(reader, buf, sizeof buf);
        ::close(reader);
        QCOMPARE(QByteArray(buf, qMax<ssize_t>(n, 0)),
            QByteArray(kind == "fifo"_L1 ? "PIN_CODE_DONE\nKORVA_READY\n" : ""));
        QFile left(path);
        QCOMPARE(left.exists() || QFileInfo(path).isSymLink(), kind != "missing"_L1);
        if (kind == "file"_L1)
            QVERIFY(left.open(QIODevice::ReadOnly) && left.readAll() == "keep\n");
        QVERIFY(!QFile::exists(u"pwned"_s));
    }
};

QTEST_APPLESS_MAIN(TestLogOutput)
#include "tst_logoutput.moc"
