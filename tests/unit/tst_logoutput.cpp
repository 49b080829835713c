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

    void refusesLinksAndSpecialFiles()
    {
        // A link planted at the log path must not redirect the daemon's writes.
        const QString target = m_dir.filePath(QStringLiteral("victim"));
        QFile victim(target);
        QVERIFY(victim.open(QIODevice::WriteOnly));
        victim.write("untouched\n");
        victim.close();
        QVERIFY(QFile::link(target, m_log));
        qWarning("secret");
        QFile check(target);
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), QByteArray("untouched\n"));
        QVERIFY(LogOutput::appendToLogFile("line\n") == false);
        QFile::remove(m_log);

        // A fifo without a reader must not block the daemon, one with a reader gets nothing.
        QCOMPARE(::mkfifo(QFile::encodeName(m_log).constData(), 0600), 0);
        QVERIFY(!LogOutput::appendToLogFile("line\n"));
        QFile::remove(m_log);
    }
};

QTEST_GUILESS_MAIN(TestLogOutput)
#include "tst_logoutput.moc"
