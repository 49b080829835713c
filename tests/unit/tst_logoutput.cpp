#include <app/LogOutput.h>
#include <platform/tarn/Locale.h>

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestLogOutput : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_log;

    QByteArray readLog() const
    {
        QFile f(m_log);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void init()
    {
        m_log = m_dir.filePath(QStringLiteral("korvad-%1.log").arg(QTest::currentTestFunction()));
        QFile::remove(m_log);
        qputenv("KORVAD_LOG_FILE", QFile::encodeName(m_log));
        qInstallMessageHandler(LogOutput::fileHandler);
    }

    void cleanup() { qInstallMessageHandler(nullptr); }

    void fileLineFormat()
    {
        Tarn::Locale locale(QLocale(QLocale::English, QLocale::UnitedKingdom));
        Tarn::Locale::setDefault(&locale);
        const QDateTime before = QDateTime::currentDateTime();
        qWarning("x");
        qDebug("d");
        qCritical("c");
        Tarn::Locale::setDefault(nullptr);

        const QList<QByteArray> lines = readLog().split('\n');
        QCOMPARE(lines.size(), 4); // three lines and the empty rest after the last line feed
        QVERIFY(lines[0].endsWith("\tW: x"));
        QVERIFY(lines[1].endsWith("\tD: d"));
        QVERIFY(lines[2].endsWith("\tC: c"));

        // What precedes the tab is the medium date and time of the moment.
        const QString stamp = QString::fromUtf8(lines[0].left(lines[0].indexOf('\t')));
        const QDateTime when = locale.qlocale().toDateTime(stamp, locale.mediumDateTimeFormat());
        QVERIFY2(when.isValid(), qPrintable(stamp));
        QVERIFY(qAbs(when.secsTo(before)) <= 2);
        QVERIFY(stamp.contains(QString::number(before.date().year())));
    }

    void appendsAndKeepsPrivate()
    {
        QFile f(m_log);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("earlier\n");
        f.close();
        ::chmod(QFile::encodeName(m_log).constData(), 0600);
        qWarning("later");
        QVERIFY(readLog().startsWith("earlier\n"));
        QVERIFY(readLog().endsWith("\tW: later\n"));

        QFile::remove(m_log);
        qWarning("fresh");
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(m_log).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0600));
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
        if (kind == QLatin1String("other owner") && ::geteuid() != 0)
            QSKIP("only root can give a file to another user");
        const QByteArray log = QFile::encodeName(m_log);
        const QString victim
            = kind == QLatin1String("other owner") ? m_log : m_dir.filePath(QStringLiteral("victim"));
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("untouched") && file.flush());
        const QByteArray target = QFile::encodeName(victim);
        const int made = kind == QLatin1String("symlink") ? ::symlink(target.constData(), log.constData())
            : kind == QLatin1String("hardlink")           ? ::link(target.constData(), log.constData())
            : kind == QLatin1String("fifo")               ? ::mkfifo(log.constData(), 0600)
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
        QTest::newRow("forged line") << QStringLiteral("failed\n1 Jan 2026 10:00:00\tW: all good")
                                     << QByteArray("failed\\n1 Jan 2026 10:00:00\\tW: all good");
        QTest::newRow("terminal escapes")
            << QStringLiteral("a\x1b[2Jb\rc\x7f\u0085") << QByteArray("a\\x1b[2Jb\\rc\\x7f\\x85");
        QTest::newRow("the daemon's own marker")
            << QStringLiteral("\n\n** KORVA_READY in x") << QByteArray("\n\n** KORVA_READY in x");
        const QString huge(1 << 20, QLatin1Char('e'));
        QTest::newRow("huge") << huge
                              << QByteArray(LogOutput::MaxMessageLength, 'e')
                + "... [cut, 1048576 characters]";
    }

    void peerTextStaysOneLine()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, logged);
        LogOutput::select({ QStringLiteral("-filelog") });
        qWarning("%s", qPrintable(text));
        const QByteArray line = readLog();
        QCOMPARE(line.mid(line.indexOf('\t')), "\tW: " + logged + '\n');
    }
};

QTEST_GUILESS_MAIN(TestLogOutput)
#include "tst_logoutput.moc"
