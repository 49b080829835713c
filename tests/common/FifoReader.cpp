#include "FifoReader.h"

#include <QSignalSpy>
#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

FifoReader::FifoReader()
{
    m_path = m_dir.path() + u"/upstart.fifo"_s;
    const QByteArray path = m_path.toLocal8Bit();
    if (::mkfifo(path.constData(), 0600) != 0) {
        qWarning("mkfifo %s failed", path.constData());
        return;
    }
    // A daemon run as another user must reach the fifo.
    if (qEnvironmentVariableIsSet("KORVA_RUN_AS")) {
        ::chmod(m_dir.path().toLocal8Bit().constData(), 0711);
        ::chmod(path.constData(), 0622);
    }
    m_fd = ::open(path.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FifoReader::readAvailable);
}

FifoReader::~FifoReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_notifyFd >= 0)
        ::close(m_notifyFd);
}

QString FifoReader::notifySocket()
{
    const QString path = m_dir.path() + u"/notify"_s;
    if (m_notifyFd >= 0)
        return path;
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, path.toLocal8Bit().constData(), sizeof address.sun_path);
    m_notifyFd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (::bind(m_notifyFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        qWarning("cannot bind %s", address.sun_path);
    ::chmod(address.sun_path, 0666);
    auto* notifier = new QSocketNotifier(m_notifyFd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char message[4096];
        ssize_t n;
        while ((n = ::recv(m_notifyFd, message, sizeof message, 0)) > 0)
            m_notices << QString::fromUtf8(message, n);
    });
    return path;
}

void FifoReader::readAvailable()
{
    char buf[256];
    ssize_t n;
    while ((n = ::read(m_fd, buf, sizeof buf)) > 0)
        m_buffer.append(buf, n);
    int eol;
    while ((eol = m_buffer.indexOf('\n')) >= 0) {
        const QString token = QString::fromLocal8Bit(m_buffer.left(eol)).trimmed();
        m_buffer.remove(0, eol + 1);
        m_tokens << token;
        Q_EMIT tokenRead(token);
    }
}

bool FifoReader::waitForTokens(int count, int timeoutMs)
{
    QSignalSpy spy(this, &FifoReader::tokenRead);
    while (m_tokens.size() < count)
        if (!spy.wait(timeoutMs))
            return false;
    return true;
}
