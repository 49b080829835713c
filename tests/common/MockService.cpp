#include "MockService.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include <csignal>

MockService::MockService(
    const QString& templateName, const QString& busName, Bus bus, const QVariantMap& parameters)
    : m_template(templateName)
    , m_busName(busName)
    , m_bus(bus)
    , m_parameters(parameters)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

MockService::~MockService()
{
    stop();
}

QDBusConnection MockService::bus() const
{
    return m_bus == SystemBus ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
}

bool MockService::start()
{
    QStringList args { QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"),
        qEnvironmentVariable("KORVA_SOURCE_DIR") + QStringLiteral("/tests/mocks/") + m_template
            + QStringLiteral(".py") };
    if (m_bus == SystemBus)
        args << QStringLiteral("--system");
    if (!m_parameters.isEmpty())
        args << QStringLiteral("-p")
             << QString::fromUtf8(
                    QJsonDocument(QJsonObject::fromVariantMap(m_parameters)).toJson(QJsonDocument::Compact));

    QDBusServiceWatcher watcher(m_busName, bus(), QDBusServiceWatcher::WatchForRegistration);
    QSignalSpy registered(&watcher, &QDBusServiceWatcher::serviceRegistered);
    m_process.start(QStringLiteral("/usr/bin/python3"), args);
    if (!m_process.waitForStarted())
        return false;
    if (bus().interface()->isServiceRegistered(m_busName))
        return true;
    if (registered.wait(15000))
        return true;
    qWarning("mock %s did not come up: %s", qPrintable(m_template), m_process.readAll().constData());
    return false;
}

bool MockService::freeze(bool frozen)
{
    return m_process.state() == QProcess::Running
        && ::kill(pid_t(m_process.processId()), frozen ? SIGSTOP : SIGCONT) == 0;
}

void MockService::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    freeze(false);
    QDBusServiceWatcher watcher(m_busName, bus(), QDBusServiceWatcher::WatchForUnregistration);
    QSignalSpy gone(&watcher, &QDBusServiceWatcher::serviceUnregistered);
    m_process.terminate();
    m_process.waitForFinished(5000);
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
    // The name must be free before the next test starts its own mock.
    if (bus().interface()->isServiceRegistered(m_busName))
        gone.wait(5000);
}

QDBusMessage MockService::control(
    const QString& path, const QString& method, const QVariantList& args, const QString& interface)
{
    QDBusMessage call = QDBusMessage::createMethodCall(m_busName, path, interface, method);
    call.setArguments(args);
    return bus().call(call, QDBus::Block, 10000);
}

QList<QVariantList> MockService::calls(const QString& path, const QString& method)
{
    QList<QVariantList> result;
    const QDBusMessage reply = control(path, QStringLiteral("GetMethodCalls"), { method });
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return result;
    // a(tav): timestamp and the arguments of each call
    const QDBusArgument arg = reply.arguments().constFirst().value<QDBusArgument>();
    arg.beginArray();
    while (!arg.atEnd()) {
        quint64 timestamp = 0;
        QVariantList callArgs;
        arg.beginStructure();
        arg >> timestamp;
        arg.beginArray();
        while (!arg.atEnd()) {
            QDBusVariant v;
            arg >> v;
            callArgs << v.variant();
        }
        arg.endArray();
        arg.endStructure();
        result << callArgs;
    }
    arg.endArray();
    return result;
}

void MockService::clearCalls(const QString& path)
{
    control(path, QStringLiteral("ClearCalls"));
}

QStringList NotificationsMock::shown()
{
    QStringList texts;
    for (const QVariantList& call : notes())
        texts << call.value(3).toString() + call.value(4).toString() + QLatin1Char('|')
                + qdbus_cast<QVariantMap>(call.value(6)).value(QStringLiteral("category")).toString();
    return texts;
}
