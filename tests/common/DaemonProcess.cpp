#include "DaemonProcess.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>

#include <csignal>

DaemonProcess::DaemonProcess()
    : m_env(QProcessEnvironment::systemEnvironment())
{
    m_env.insert(QStringLiteral("KORVAD_LOG_FILE"), m_dir.path() + QStringLiteral("/korvad.log"));
    // Without a reader a token write would block; tests that read set their own fifo.
    m_env.insert(QStringLiteral("KORVAD_UPSTART_FIFO"), m_dir.path() + QStringLiteral("/no-reader"));
    // Into a file, not a pipe: a pipe that the test does not drain while it
    // waits in a blocking bus call would stall the daemon on its next write.
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardOutputFile(m_dir.path() + QStringLiteral("/stderr"));
}

DaemonProcess::~DaemonProcess()
{
    stop();
}

void DaemonProcess::setFifo(const QString& path)
{
    m_env.insert(QStringLiteral("KORVAD_UPSTART_FIFO"), path);
}

QString DaemonProcess::logFile() const
{
    return m_env.value(QStringLiteral("KORVAD_LOG_FILE"));
}

bool DaemonProcess::start(const QStringList& arguments)
{
    m_process.setProcessEnvironment(m_env);
    m_process.start(qEnvironmentVariable("KORVAD_BINARY"), arguments);
    return m_process.waitForStarted();
}

QString DaemonProcess::output()
{
    QFile file(m_dir.path() + QStringLiteral("/stderr"));
    if (file.open(QIODevice::ReadOnly))
        m_output = QString::fromLocal8Bit(file.readAll());
    return m_output;
}

int DaemonProcess::waitForOutput(const QString& text, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        const int at = output().indexOf(text);
        if (at >= 0)
            return at + text.size();
        const int left = timeoutMs - int(timer.elapsed());
        if (left <= 0 || m_process.state() == QProcess::NotRunning)
            return output().indexOf(text) >= 0 ? output().indexOf(text) + text.size() : -1;
        m_process.waitForFinished(qMin(left, 20));
    }
}

bool DaemonProcess::waitForExit(int timeoutMs)
{
    const bool exited = m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
    output();
    return exited;
}

bool DaemonProcess::ping()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString name = QStringLiteral("com.vexa.korvad");
    if (!bus.interface()->isServiceRegistered(name)) {
        QDBusServiceWatcher watcher(name, bus, QDBusServiceWatcher::WatchForRegistration);
        QSignalSpy up(&watcher, &QDBusServiceWatcher::serviceRegistered);
        if (!bus.interface()->isServiceRegistered(name) && !up.wait(20000))
            return false;
    }
    // Peer.Ping is answered by the bus thread; a property read of the
    // application's own interface is served by the GUI thread's event loop.
    QDBusMessage call = QDBusMessage::createMethodCall(name, QStringLiteral("/com/vexa/korvad"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
    call << QStringLiteral("com.vexa.korvad.Application");
    return bus.call(call, QDBus::Block, 20000).type() == QDBusMessage::ReplyMessage;
}

bool DaemonProcess::release()
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("com.vexa.korvad"),
        QStringLiteral("/com/vexa/korvad"), QStringLiteral("com.vexa.korvad.Application"),
        QStringLiteral("Release"));
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 20000).type() == QDBusMessage::ReplyMessage;
}

void DaemonProcess::interrupt()
{
    ::kill(pid_t(m_process.processId()), SIGINT);
}

void DaemonProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    // SIGINT first: the daemon leaves its event loop and exits normally, so a
    // sanitizer build checks it for leaks on the way out.
    interrupt();
    if (!m_process.waitForFinished(5000))
        m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished();
    }
    output();
}
