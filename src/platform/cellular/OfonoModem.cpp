#include "OfonoModem.h"

#include "OfonoMapping.h"

#include "../Trace.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace Cellular {

namespace {

struct ModemEntry
{
    QDBusObjectPath path;
    QVariantMap properties;
};

const QDBusArgument& operator>>(const QDBusArgument& arg, ModemEntry& entry)
{
    arg.beginStructure();
    arg >> entry.path >> entry.properties;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const ModemEntry& entry)
{
    arg.beginStructure();
    arg << entry.path << entry.properties;
    arg.endStructure();
    return arg;
}

} // namespace
} // namespace Cellular

Q_DECLARE_METATYPE(Cellular::ModemEntry)

namespace Cellular {

namespace {
using ModemList = QList<ModemEntry>;
}

OfonoModem* OfonoModem::instance()
{
    // Lives for the process; parented to the application so it goes before
    // the bus connection is torn down.
    static OfonoModem* self = nullptr;
    if (!self)
        self = new OfonoModem;
    return self;
}

OfonoModem::OfonoModem()
    : QObject(QCoreApplication::instance())
    , m_bus(QDBusConnection::systemBus())
    , m_watcher(new QDBusServiceWatcher(
          QString::fromLatin1(Service), m_bus, QDBusServiceWatcher::WatchForOwnerChange, this))
{
    // Slots are matched by type name: every type they take must be known
    // before the first connect, or the connect fails quietly.
    qRegisterMetaType<QDBusVariant>();
    qRegisterMetaType<QDBusObjectPath>();
    qRegisterMetaType<QVariantMap>();
    qDBusRegisterMetaType<ModemEntry>();
    qDBusRegisterMetaType<ModemList>();

    if (!m_bus.isConnected()) {
        qWarning("oFono: no system bus (%s); the modem state stays unknown",
            qPrintable(m_bus.lastError().message()));
        return;
    }
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, &OfonoModem::onServiceRegistered);
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &OfonoModem::onServiceUnregistered);
    const QString service = QString::fromLatin1(Service);
    m_bus.connect(service, QStringLiteral("/"), QString::fromLatin1(ManagerInterface),
        QStringLiteral("ModemAdded"), this, SLOT(onModemAdded(QDBusObjectPath, QVariantMap)));
    m_bus.connect(service, QStringLiteral("/"), QString::fromLatin1(ManagerInterface),
        QStringLiteral("ModemRemoved"), this, SLOT(onModemRemoved(QDBusObjectPath)));
    listModems(true);
}

QStringList OfonoModem::interfaces() const
{
    return m_modemProperties.value(QStringLiteral("Interfaces")).toStringList();
}

bool OfonoModem::hasInterface(const QString& interface) const
{
    return interfaces().contains(interface);
}

namespace {

QStringList trackedInterfaces()
{
    return { QString::fromLatin1(OfonoModem::SimInterface),
        QString::fromLatin1(OfonoModem::NetworkRegistrationInterface) };
}

} // namespace

QVariantMap OfonoModem::interfaceProperties(const QString& interface) const
{
    return m_tracked.value(interface).properties;
}

bool OfonoModem::interfaceReady(const QString& interface) const
{
    const auto it = m_tracked.constFind(interface);
    return it != m_tracked.constEnd() && it->ready;
}

QDBusPendingCall OfonoModem::failedCall(const QString& errorName, const QString& message)
{
    return QDBusPendingCall::fromError(QDBusError(QDBusMessage::createError(errorName, message)));
}

QDBusPendingCall OfonoModem::call(
    const QString& interface, const QString& method, const QVariantList& args, int timeoutMs) const
{
    // asyncCall on a dead connection hands back a call that never finishes.
    if (!m_bus.isConnected() || m_path.isEmpty())
        return failedCall(QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown"),
            QStringLiteral("oFono has no modem"));
    QDBusMessage message
        = QDBusMessage::createMethodCall(QString::fromLatin1(Service), m_path, interface, method);
    message.setArguments(args);
    return m_bus.asyncCall(message, timeoutMs);
}

void OfonoModem::syncInterfaces(bool blocking)
{
    const QStringList listed = interfaces();
    for (const QString& interface : trackedInterfaces()) {
        const bool tracked = m_tracked.contains(interface);
        if (listed.contains(interface) && !tracked) {
            Tracked entry;
            entry.generation = ++m_generation;
            m_tracked.insert(interface, entry);
            fetchInterface(interface, blocking);
        } else if (!listed.contains(interface) && tracked) {
            KTRACE() << interface << "gone";
            m_tracked.remove(interface);
        }
    }
}

void OfonoModem::fetchInterface(const QString& interface, bool blocking)
{
    const quint64 generation = m_tracked.value(interface).generation;
    QDBusMessage message = QDBusMessage::createMethodCall(
        QString::fromLatin1(Service), m_path, interface, QStringLiteral("GetProperties"));
    if (blocking) {
        takeInterfaceProperties(interface, generation, m_bus.call(message, QDBus::Block, ListTimeoutMs));
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message, CallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
        [this, interface, generation](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            takeInterfaceProperties(interface, generation, w->reply());
            Q_EMIT stateChanged();
        });
}

void OfonoModem::takeInterfaceProperties(
    const QString& interface, quint64 generation, const QDBusMessage& reply)
{
    auto it = m_tracked.find(interface);
    // The interface went (or went and came back) while we were asking.
    if (it == m_tracked.end() || it->generation != generation)
        return;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("a{sv}")) {
        qWarning(
            "oFono: cannot read %s properties: %s", qPrintable(interface), qPrintable(reply.errorName()));
        return;
    }
    // The reply is at least as new as any PropertyChanged seen before it.
    it->properties = OfonoMapping::normalise(qdbus_cast<QVariantMap>(reply.arguments().constFirst()));
    it->ready = true;
    KTRACE() << interface << "read";
}

void OfonoModem::onSimPropertyChanged(const QString& name, const QDBusVariant& value)
{
    takeProperty(QString::fromLatin1(SimInterface), name, value);
}

void OfonoModem::onNetworkRegistrationPropertyChanged(const QString& name, const QDBusVariant& value)
{
    takeProperty(QString::fromLatin1(NetworkRegistrationInterface), name, value);
}

void OfonoModem::takeProperty(const QString& interface, const QString& name, const QDBusVariant& value)
{
    auto it = m_tracked.find(interface);
    if (it == m_tracked.end())
        return;
    it->properties.insert(name, OfonoMapping::normalise(name, value.variant()));
    Q_EMIT stateChanged();
}

void OfonoModem::listModems(bool blocking)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(Service), QStringLiteral("/"),
        QString::fromLatin1(ManagerInterface), QStringLiteral("GetModems"));
    if (blocking) {
        m_starting = true;
        takeModemList(m_bus.call(call, QDBus::Block, ListTimeoutMs));
        m_starting = false;
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, ListTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        takeModemList(w->reply());
    });
}

void OfonoModem::takeModemList(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        KTRACE() << "no modem list:" << reply.errorName() << reply.errorMessage();
        return;
    }
    const ModemList modems = qdbus_cast<ModemList>(reply.arguments().constFirst());
    KTRACE() << "modems:" << modems.size();
    if (!modems.isEmpty() && m_path.isEmpty())
        followModem(modems.constFirst().path.path(), modems.constFirst().properties);
}

void OfonoModem::followModem(const QString& path, const QVariantMap& properties)
{
    KTRACE() << path;
    m_path = path;
    m_modemProperties = properties;
    m_powerFailed = false;
    m_powerRequested = false;
    m_bus.connect(QString::fromLatin1(Service), m_path, QString::fromLatin1(ModemInterface),
        QStringLiteral("PropertyChanged"), this, SLOT(onModemPropertyChanged(QString, QDBusVariant)));
    m_bus.connect(QString::fromLatin1(Service), m_path, QString::fromLatin1(SimInterface),
        QStringLiteral("PropertyChanged"), this, SLOT(onSimPropertyChanged(QString, QDBusVariant)));
    m_bus.connect(QString::fromLatin1(Service), m_path, QString::fromLatin1(NetworkRegistrationInterface),
        QStringLiteral("PropertyChanged"), this,
        SLOT(onNetworkRegistrationPropertyChanged(QString, QDBusVariant)));
    // Blocking only while the first start is still on the stack.
    powerUpIfNeeded(m_starting);
    syncInterfaces(m_starting);
    Q_EMIT modemChanged(m_path);
    Q_EMIT stateChanged();
}

void OfonoModem::dropModem()
{
    if (m_path.isEmpty())
        return;
    KTRACE() << m_path;
    m_bus.disconnect(QString::fromLatin1(Service), m_path, QString::fromLatin1(ModemInterface),
        QStringLiteral("PropertyChanged"), this, SLOT(onModemPropertyChanged(QString, QDBusVariant)));
    m_bus.disconnect(QString::fromLatin1(Service), m_path, QString::fromLatin1(SimInterface),
        QStringLiteral("PropertyChanged"), this, SLOT(onSimPropertyChanged(QString, QDBusVariant)));
    m_bus.disconnect(QString::fromLatin1(Service), m_path, QString::fromLatin1(NetworkRegistrationInterface),
        QStringLiteral("PropertyChanged"), this,
        SLOT(onNetworkRegistrationPropertyChanged(QString, QDBusVariant)));
    m_tracked.clear();
    m_path.clear();
    m_modemProperties.clear();
    m_powerFailed = false;
    m_powerRequested = false;
    Q_EMIT modemChanged(QString());
    Q_EMIT stateChanged();
}

void OfonoModem::powerUpIfNeeded(bool blocking)
{
    if (m_path.isEmpty() || m_powerRequested || m_modemProperties.value(QStringLiteral("Powered")).toBool())
        return;
    m_powerRequested = true;
    KTRACE() << "powering up" << m_path;
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(Service), m_path,
        QString::fromLatin1(ModemInterface), QStringLiteral("SetProperty"));
    call << QStringLiteral("Powered") << QVariant::fromValue(QDBusVariant(true));
    const QString path = m_path;
    auto judge = [this, path](const QDBusMessage& reply) {
        if (path != m_path || reply.type() != QDBusMessage::ErrorMessage)
            return;
        const QString error = reply.errorName();
        if (error == QLatin1String("org.ofono.Error.Failed")
            || error == QLatin1String("org.ofono.Error.NotAvailable")) {
            qWarning("oFono: modem %s cannot be powered: %s", qPrintable(path), qPrintable(error));
            m_powerFailed = true;
            Q_EMIT stateChanged();
        } else {
            KTRACE() << "power-up not confirmed:" << error;
        }
    };
    if (blocking) {
        judge(m_bus.call(call, QDBus::Block, PowerTimeoutMs));
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, PowerTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [judge](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        judge(w->reply());
    });
}

void OfonoModem::onModemAdded(const QDBusObjectPath& path, const QVariantMap& properties)
{
    if (m_path.isEmpty())
        followModem(path.path(), properties);
}

void OfonoModem::onModemRemoved(const QDBusObjectPath& path)
{
    if (path.path() != m_path)
        return;
    dropModem();
    // Another modem may still be there.
    listModems(false);
}

void OfonoModem::onModemPropertyChanged(const QString& name, const QDBusVariant& value)
{
    m_modemProperties.insert(name, value.variant());
    if (name == QLatin1String("Powered") && value.variant().toBool())
        m_powerFailed = false;
    if (name == QLatin1String("Interfaces"))
        syncInterfaces(false);
    Q_EMIT modemPropertyChanged(name, value.variant());
    Q_EMIT stateChanged();
}

void OfonoModem::onServiceRegistered()
{
    KTRACE() << "oFono appeared";
    listModems(false);
}

void OfonoModem::onServiceUnregistered()
{
    KTRACE() << "oFono left the bus";
    dropModem();
}

} // namespace Cellular
