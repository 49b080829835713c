#include "DaemonProcess.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QFile>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;

DaemonProcess::DaemonProcess()
    : m_env(QProcessEnvironment::systemEnvironment())
{
    m_env.insert(u"KORVAD_LOG_FILE"_s, m_dir.path() + u"/korvad.log"_s);
    // Without a reader a token write would block; tests that read set their own fifo.
    m_env.insert(u"KORVAD_UPSTART_FIFO"_s, m_dir.path() + u"/no-reader"_s);
    // Into a file, not a pipe: a pipe that the test does not drain while it
    // waits in a blocking bus call would stall the daemon on its next write.
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardOutputFile(m_dir.path() + u"/stderr"_s);
}

DaemonProcess::~DaemonProcess()
{
    stop();
}

void DaemonProcess::setFifo(const QString& path)
{
    m_env.insert(u"KORVAD_UPSTART_FIFO"_s, path);
}

QString DaemonProcess::logFile() const
{
    return m_env.value(u"KORVAD_LOG_FILE"_s);
}

bool DaemonProcess::start(const QStringList& arguments)
{
    m_process.setProcessEnvironment(m_env);
    const QString binary = qEnvironmentVariable("KORVAD_BINARY");
    const QString user = qEnvironmentVariable("KORVA_RUN_AS");
    if (user.isEmpty())
        m_process.start(binary, arguments);
    else
        m_process.start(u"setpriv"_s,
            QStringList { u"--reuid"_s, user, u"--regid"_s, user, u"--init-groups"_s, u"--"_s, binary }
                + arguments);
    return m_process.waitForStarted();
}

QString DaemonProcess::output()
{
    QFile file(m_dir.path() + u"/stderr"_s);
    if (file.open(QIODevice::ReadOnly))
        m_output = QString::fromLocal8Bit(file.readAll());
    return m_output;
}

int DaemonProcess::waitForOutput(const QString& text, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    int at;
    while ((at = output().indexOf(text)) < 0 && !deadline.hasExpired()
        && m_process.state() != QProcess::NotRunning)
        m_process.waitForFinished(20);
    if (at < 0)
        at = output().indexOf(text);
    return at < 0 ? -1 : at + int(text.size());
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
    const QString name = u"com.vexa.korvad"_s;
    if (!QTest::qWaitFor([&] { return bus.interface()->isServiceRegistered(name).value(); }, 20000))
        return false;
    // Peer.Ping is answered by the bus thread; a property read of the
    // application's own interface is served by the GUI thread's event loop.
    QDBusMessage call = QDBusMessage::createMethodCall(
        name, u"/com/vexa/korvad"_s, u"org.freedesktop.DBus.Properties"_s, u"GetAll"_s);
    call << u"com.vexa.korvad.Application"_s;
    return bus.call(call, QDBus::Block, 20000).type() == QDBusMessage::ReplyMessage;
}

bool DaemonProcess::release()
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        u"com.vexa.korvad"_s, u"/com/vexa/korvad"_s, u"com.vexa.korvad.Application"_s, u"Release"_s);
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
