#include "OfonoDaemon.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

OfonoDaemon::~OfonoDaemon()
{
    stop();
}

namespace {

bool modemManager()
{
    return qgetenv("KORVAD_CELLULAR_BACKEND") == "modemmanager";
}

bool waitForName(const QString& name)
{
    QDBusConnectionInterface* bus = QDBusConnection::systemBus().interface();
    return QTest::qWaitFor([&] { return bus->isServiceRegistered(name).value(); }, 20000);
}

} // namespace

bool OfonoDaemon::available()
{
    if (modemManager())
        return ::geteuid() == 0 && QFile::exists(u"/usr/sbin/ModemManager"_s);
    return ::geteuid() == 0 && !qEnvironmentVariableIsEmpty("KORVA_OFONO_PLUGINS");
}

bool OfonoDaemon::startModemManager(const QStringList& steps)
{
    // Abstract socket names are machine-wide.
    static int count = 0;
    const QString port = u"abstract:korva-%1-%2"_s.arg(QCoreApplication::applicationPid()).arg(++count);
    m_modem.setStandardErrorFile(m_dir.filePath(u"modem.log"_s));
    m_modem.start(u"/usr/bin/python3"_s,
        { qEnvironmentVariable("KORVA_SOURCE_DIR") + u"/tests/mocks/atmodem.py"_s, port });
    if (step(QString()) != u"socket "_s + port)
        return false;
    for (const QString& s : steps)
        if (step(s) != "ok"_L1)
            return false;
    m_polkit.setProcessChannelMode(QProcess::MergedChannels);
    m_polkit.setStandardOutputFile(m_dir.filePath(u"polkit.log"_s));
    m_polkit.start(
        u"/usr/bin/python3"_s, { u"-m"_s, u"dbusmock"_s, u"--system"_s, u"--template"_s, u"polkitd"_s });
    if (!waitForName(u"org.freedesktop.PolicyKit1"_s))
        return false;
    QDBusMessage allow = QDBusMessage::createMethodCall(u"org.freedesktop.PolicyKit1"_s,
        u"/org/freedesktop/PolicyKit1/Authority"_s, u"org.freedesktop.DBus.Mock"_s, u"AllowUnknown"_s);
    allow << true;
    if (QDBusConnection::systemBus().call(allow).type() != QDBusMessage::ReplyMessage)
        return false;
    m_ofonod.setProcessChannelMode(QProcess::MergedChannels);
    m_ofonod.setStandardOutputFile(m_dir.filePath(u"ModemManager.log"_s));
    m_ofonod.start(u"/usr/sbin/ModemManager"_s,
        { u"--test-enable"_s, u"--test-no-udev"_s, u"--test-no-suspend-resume"_s, u"--test-no-qrtr"_s,
            u"--no-auto-scan"_s, u"--log-level=DEBUG"_s });
    if (!waitForName(u"org.freedesktop.ModemManager1"_s))
        return false;
    QDBusMessage profile = QDBusMessage::createMethodCall(u"org.freedesktop.ModemManager1"_s,
        u"/org/freedesktop/ModemManager1"_s, u"org.freedesktop.ModemManager1.Test"_s, u"SetProfile"_s);
    profile << u"korva"_s << u"generic"_s << QStringList { port };
    return QDBusConnection::systemBus().call(profile).type() == QDBusMessage::ReplyMessage;
}

bool OfonoDaemon::start(const QStringList& steps)
{
    if (!available() || !m_dir.isValid())
        return false;
    if (modemManager())
        return startModemManager(steps);
    m_modem.setStandardErrorFile(m_dir.filePath(u"modem.log"_s));
    m_modem.start(
        u"/usr/bin/python3"_s, { qEnvironmentVariable("KORVA_SOURCE_DIR") + u"/tests/mocks/atmodem.py"_s });
    const QString port = step(QString()).section(u' ', 1);
    QFile config(m_dir.filePath(u"phonesim.conf"_s));
    if (port.isEmpty() || !config.open(QIODevice::WriteOnly)
        || config.write(u"[phonesim]\nAddress=127.0.0.1\nPort=%1\n"_s.arg(port).toLatin1()) < 0)
        return false;
    config.close();
    for (const QString& s : steps)
        if (step(s) != "ok"_L1)
            return false;

    QDir(m_dir.path()).mkdir(u"state"_s);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"OFONO_PHONESIM_CONFIG"_s, config.fileName());
    m_ofonod.setProcessEnvironment(env);
    m_ofonod.setProcessChannelMode(QProcess::MergedChannels);
    m_ofonod.setStandardOutputFile(m_dir.filePath(u"ofonod.log"_s));
    // oFono loads external plugins from one fixed folder only; its mount
    // point is made once, the mounts stay inside the namespace.
    m_ofonod.start(u"unshare"_s,
        { u"-m"_s, u"sh"_s, u"-ec"_s,
            u"mkdir -p /usr/lib/ofono/plugins /var/lib/ofono\n"
            "mount --bind \"$0\" /var/lib/ofono\n"
            "mount --bind \"$1\" /usr/lib/ofono/plugins\n"
            "exec ofonod -n -p phonesim,atmodem,simready"_s,
            m_dir.filePath(u"state"_s), qEnvironmentVariable("KORVA_OFONO_PLUGINS") });
    QDBusConnectionInterface* bus = QDBusConnection::systemBus().interface();
    return m_ofonod.waitForStarted()
        && QTest::qWaitFor([&] { return bus->isServiceRegistered(u"org.ofono"_s).value(); }, 20000);
}

void OfonoDaemon::stop()
{
    for (QProcess* p : { &m_ofonod, &m_polkit, &m_modem }) {
        if (p->state() == QProcess::NotRunning)
            continue;
        p->terminate();
        if (!p->waitForFinished(5000)) {
            p->kill();
            p->waitForFinished();
        }
    }
}

QString OfonoDaemon::step(const QString& line)
{
    if (!line.isEmpty()) {
        m_modem.write(line.toUtf8() + '\n');
        m_modem.waitForBytesWritten();
    }
    while (!m_modem.canReadLine())
        if (!m_modem.waitForReadyRead(10000))
            return QString();
    return QString::fromUtf8(m_modem.readLine()).trimmed();
}

QStringList OfonoDaemon::received()
{
    QStringList commands;
    for (const QJsonValue& v : QJsonDocument::fromJson(step(u"received"_s).toUtf8()).array())
        commands << v.toString();
    return commands;
}

bool OfonoDaemon::waitReceived(const QString& command, int timeoutMs)
{
    return QTest::qWaitFor([&] { return received().contains(command); }, timeoutMs);
}
