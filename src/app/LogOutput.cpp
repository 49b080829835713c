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

void select(const QStringList& arguments)
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
    // opening a fifo someone put there), keep it private.
    const QByteArray path = QFile::encodeName(logFilePath());
    const int fd = ::open(path.constData(),
        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, S_IRUSR | S_IWUSR);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
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
