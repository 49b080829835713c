#include "FifoReader.h"

#include <QSignalSpy>
#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/stat.h>
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
    m_fd = ::open(path.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FifoReader::readAvailable);
}

FifoReader::~FifoReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
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
