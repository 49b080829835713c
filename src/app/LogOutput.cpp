#include "LogOutput.h"

#include <platform/tarn/Locale.h>

#include <QDateTime>
#include <QFile>
#include <QTextStream>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

namespace LogOutput {

QString logFilePath()
{
    const QByteArray overridden = qgetenv("KORVAD_LOG_FILE");
    return overridden.isEmpty() ? QStringLiteral("/tmp/korvad.log") : QString::fromLocal8Bit(overridden);
}

void printUsage()
{
    std::fprintf(stderr,
        "\nUsage: korvad\n\t[-h] Tarn application help.\n\t[%s] This internal help.\n\t[%s] Print "
        "logs to stdout. Same as [-output-level debug]\n\t[%s] Print logs to /tmp/korvad.log.\n\t[%s] "
        "Print logs in uptime format to stdout.\n\n",
        "-hh", "-log", "-filelog", "-uptimelog");
}

namespace {

QtMessageHandler g_chosen = nullptr;

// Every message passes here before the chosen output: texts that peers put
// into messages must neither forge lines nor flood the log.
void guardedHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    g_chosen(type, context, escaped(message));
}

} // namespace

QString escaped(const QString& message)
{
    // The daemon's own markers open with blank lines; a peer's text never
    // opens a message.
    qsizetype start = 0;
    while (start < message.size() && message.at(start) == QLatin1Char('\n'))
        ++start;
    QString out = message.left(start);
    const qsizetype end = qMin(message.size(), start + MaxMessageLength);
    for (qsizetype i = start; i < end; ++i) {
        const QChar c = message.at(i);
        if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else if (c == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f || (c.unicode() >= 0x80 && c.unicode() < 0xa0)
            || c == QChar(0x2028) || c == QChar(0x2029))
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    if (end < message.size())
        out += QStringLiteral("... [cut, %1 characters]").arg(message.size() - start);
    return out;
}

namespace {

void selectOutput(const QStringList& arguments)
{
    if (arguments.contains(QLatin1String("-filelog"))) {
        qInstallMessageHandler(fileHandler);
    } else if (arguments.contains(QLatin1String("-log"))) {
        qInstallMessageHandler(nullptr);
    } else if (arguments.contains(QLatin1String("-uptimelog"))) {
        qInstallMessageHandler(uptimeHandler);
    } else if (arguments.contains(QLatin1String("-hh"))) {
        printUsage();
        std::exit(0);
    }
}

} // namespace

void select(const QStringList& arguments)
{
    selectOutput(arguments);
    const QtMessageHandler current = qInstallMessageHandler(guardedHandler);
    if (current != guardedHandler)
        g_chosen = current;
}

void uptimeHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    float uptime = 0;
    QFile file(QStringLiteral("/proc/uptime"));
    if (file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        QTextStream in(&file);
        in >> uptime;
        if (in.status() != QTextStream::Ok)
            uptime = 0;
    }
    const QByteArray text = message.toLocal8Bit();
    switch (type) {
    case QtCriticalMsg:
        std::fprintf(stderr, "%.2f\t[korvad]\tCritical: %s\n", uptime, text.constData());
        break;
    case QtFatalMsg:
        std::fprintf(stderr, "%.2f\t[korvad]\tFatal: %s\n", uptime, text.constData());
        std::abort();
    case QtWarningMsg:
        std::fprintf(stderr, "%.2f\t[korvad]\tWarning: %s\n", uptime, text.constData());
        break;
    default:
        std::fprintf(stderr, "%.2f\t[korvad]\tDebug: %s\n", uptime, text.constData());
        break;
    }
}

bool appendToLogFile(const QByteArray& line)
{
    // The log lives in a world-writable folder: never follow a link planted
    // there, never write into anything but a regular file (and never block
    // opening a fifo someone put there), keep it private. A file someone
    // else owns, or a second name of another file, could be read by them.
    const QByteArray path = QFile::encodeName(logFilePath());
    const int fd = ::open(path.constData(),
        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, S_IRUSR | S_IWUSR);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_nlink == 1;
    for (qsizetype done = 0; ok && done < line.size();) {
        const ssize_t n = ::write(fd, line.constData() + done, size_t(line.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        done += n;
    }
    ::close(fd);
    return ok;
}

void fileHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    const char* prefix = "\tD: ";
    if (type == QtCriticalMsg)
        prefix = "\tC: ";
    else if (type == QtFatalMsg)
        prefix = "\tF: ";
    else if (type == QtWarningMsg)
        prefix = "\tW: ";

    const QDateTime now = QDateTime::currentDateTime();
    Tarn::Locale* locale = Tarn::Locale::defaultLocale();
    const QString stamp = locale
        ? locale->formatDateTime(now, Tarn::Locale::DateMedium, Tarn::Locale::TimeMedium)
        : Tarn::Locale().formatDateTime(now, Tarn::Locale::DateMedium, Tarn::Locale::TimeMedium);
    QByteArray line = stamp.toUtf8();
    line += prefix;
    line += message.toUtf8();
    line += '\n';
    appendToLogFile(line);
    if (type == QtFatalMsg)
        std::abort();
}

void syslogInfo(const char* format, ...)
{
    const QByteArray local = QString::fromUtf8(format).toLocal8Bit();
    va_list args;
    va_start(args, format);
    vsyslog(LOG_INFO, local.constData(), args);
    va_end(args);
}

} // namespace LogOutput
