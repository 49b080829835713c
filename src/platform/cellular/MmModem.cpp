#include "MmModem.h"

#include "MmMapping.h"

#include "../DBusShape.h"
#include "../Trace.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QMap>

namespace Cellular {

namespace {
using InterfaceMap = QMap<QString, QVariantMap>;
using ObjectMap = QMap<QDBusObjectPath, InterfaceMap>;

const QString mmError = QStringLiteral("org.freedesktop.ModemManager1.Error.");
const QString modemPrefix = QStringLiteral("/org/freedesktop/ModemManager1/Modem/");

void plainInterfaces(const InterfaceMap& interfaces, QHash<QString, QVariantMap>* into)
{
    for (auto it = interfaces.cbegin(); it != interfaces.cend(); ++it)
        into->insert(it.key(), MmMapping::normalise(it.value()));
}

} // namespace
} // namespace Cellular

Q_DECLARE_METATYPE(Cellular::InterfaceMap)
Q_DECLARE_METATYPE(Cellular::ObjectMap)

namespace Cellular {

MmModem* MmModem::instance()
{
    static MmModem* self = nullptr;
    if (!self)
        self = new MmModem;
    return self;
}

MmModem::MmModem()
    : QObject(QCoreApplication::instance())
    , m_bus(QDBusConnection::systemBus())
    , m_watcher(new QDBusServiceWatcher(
          QString::fromLatin1(Service), m_bus, QDBusServiceWatcher::WatchForOwnerChange, this))
{
    qDBusRegisterMetaType<InterfaceMap>();
    qDBusRegisterMetaType<ObjectMap>();
    if (!m_bus.isConnected()) {
        qWarning("ModemManager: no system bus (%s); the modem state stays unknown",
            qPrintable(m_bus.lastError().message()));
        return;
    }
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, &MmModem::onServiceRegistered);
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &MmModem::onServiceUnregistered);
    const QString service = QString::fromLatin1(Service);
    const QString manager = QString::fromLatin1(ManagerPath);
    const QString objectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
    m_bus.connect(service, manager, objectManager, QStringLiteral("InterfacesAdded"), this,
        SLOT(onInterfacesAdded(QDBusMessage)));
    m_bus.connect(service, manager, objectManager, QStringLiteral("InterfacesRemoved"), this,
        SLOT(onInterfacesRemoved(QDBusMessage)));
    // Every object's changes, subscribed before anything is read; the slot
    // keeps those of the followed modem and its SIM.
    m_bus.connect(service, QString(), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"), this, SLOT(onPropertiesChanged(QDBusMessage)));
    listModems(true);
}

QString MmModem::simPath() const
{
    const QString sim
        = m_properties.value(QString::fromLatin1(ModemInterface)).value(QStringLiteral("Sim")).toString();
    return sim == QLatin1String("/") ? QString() : sim;
}

QDBusPendingCall MmModem::call(
    const QString& interface, const QString& method, const QVariantList& args, int timeoutMs) const
{
    return call(
        interface == QLatin1String(SimInterface) ? simPath() : m_path, interface, method, args, timeoutMs);
}

QDBusPendingCall MmModem::call(const QString& path, const QString& interface, const QString& method,
    const QVariantList& args, int timeoutMs) const
{
    if (!m_bus.isConnected() || m_path.isEmpty() || path.isEmpty())
        return QDBusPendingCall::fromError(
            QDBusError(QDBusMessage::createError(QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown"),
                QStringLiteral("ModemManager has no modem"))));
    QDBusMessage message
        = QDBusMessage::createMethodCall(QString::fromLatin1(Service), path, interface, method);
    message.setArguments(args);
    return m_bus.asyncCall(message, timeoutMs);
}

QDBusPendingCall MmModem::get(const QString& interface, const QString& name) const
{
    return call(interface == QLatin1String(SimInterface) ? simPath() : m_path,
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"), { interface, name },
        CallTimeoutMs);
}

QVariant MmModem::takeValue(const QDBusMessage& reply, const QString& name)
{
    if (!DBusShape::expectShape(reply, QLatin1String("v"), "ModemManager Properties.Get"))
        return QVariant();
    return MmMapping::normalise(name, reply.arguments().constFirst().value<QDBusVariant>().variant());
}

void MmModem::listModems(bool blocking)
{
    QDBusMessage call
        = QDBusMessage::createMethodCall(QString::fromLatin1(Service), QString::fromLatin1(ManagerPath),
            QStringLiteral("org.freedesktop.DBus.ObjectManager"), QStringLiteral("GetManagedObjects"));
    if (blocking) {
        m_starting = true;
        takeObjects(m_bus.call(call, QDBus::Block, ListTimeoutMs));
        m_starting = false;
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, ListTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        takeObjects(w->reply());
    });
}

void MmModem::takeObjects(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage) {
        KTRACE() << "no modem list:" << reply.errorName();
        return;
    }
    if (!DBusShape::expectShape(reply, QLatin1String("a{oa{sa{sv}}}"), "ModemManager GetManagedObjects"))
        return;
    const ObjectMap objects = qdbus_cast<ObjectMap>(reply.arguments().constFirst());
    for (auto it = objects.cbegin(); it != objects.cend() && m_path.isEmpty(); ++it) {
        if (it.key().path().startsWith(modemPrefix) && it->contains(QString::fromLatin1(ModemInterface))) {
            m_path = it.key().path();
            KTRACE() << "following" << m_path;
            plainInterfaces(*it, &m_properties);
            syncSim(m_starting);
            enableIfNeeded(m_starting);
            Q_EMIT stateChanged();
        }
    }
}

void MmModem::onInterfacesAdded(const QDBusMessage& message)
{
    if (!DBusShape::expectShape(message, QLatin1String("oa{sa{sv}}"), "ModemManager InterfacesAdded"))
        return;
    const QString path = message.arguments().at(0).value<QDBusObjectPath>().path();
    const InterfaceMap interfaces = qdbus_cast<InterfaceMap>(message.arguments().at(1));
    if (m_path.isEmpty() && path.startsWith(modemPrefix)
        && interfaces.contains(QString::fromLatin1(ModemInterface))) {
        m_path = path;
        KTRACE() << "following" << m_path;
    }
    if (path != m_path)
        return;
    // Interfaces come back after unlocking: their values are current again.
    plainInterfaces(interfaces, &m_properties);
    syncSim(false);
    enableIfNeeded(false);
    Q_EMIT stateChanged();
}

void MmModem::onInterfacesRemoved(const QDBusMessage& message)
{
    if (!DBusShape::expectShape(message, QLatin1String("oas"), "ModemManager InterfacesRemoved"))
        return;
    if (message.arguments().at(0).value<QDBusObjectPath>().path() != m_path || m_path.isEmpty())
        return;
    const QStringList gone = message.arguments().at(1).toStringList();
    if (gone.contains(QString::fromLatin1(ModemInterface))) {
        dropModem();
        // Another modem, or this one's successor, may be there already.
        listModems(false);
        return;
    }
    for (const QString& interface : gone)
        m_properties.remove(interface);
    Q_EMIT stateChanged();
}

void MmModem::onPropertiesChanged(const QDBusMessage& message)
{
    if (m_path.isEmpty())
        return;
    const bool onSim = !simPath().isEmpty() && message.path() == simPath();
    if (message.path() != m_path && !onSim)
        return;
    if (!DBusShape::expectShape(message, QLatin1String("sa{sv}as"), "ModemManager PropertiesChanged"))
        return;
    const QString interface = message.arguments().at(0).toString();
    if (onSim != (interface == QLatin1String(SimInterface)))
        return;
    auto it = m_properties.find(interface);
    if (it == m_properties.end())
        return;
    const QVariantMap changed = qdbus_cast<QVariantMap>(message.arguments().at(1));
    const QString oldSim = simPath();
    for (auto c = changed.cbegin(); c != changed.cend(); ++c) {
        const QVariant value = MmMapping::normalise(c.key(), c.value());
        if (value.isValid())
            it->insert(c.key(), value);
        else
            it->remove(c.key());
    }
    for (const QString& name : message.arguments().at(2).toStringList())
        it->remove(name);
    if (simPath() != oldSim)
        syncSim(false);
    enableIfNeeded(false);
    for (auto c = changed.cbegin(); c != changed.cend(); ++c)
        Q_EMIT propertyChanged(interface, c.key());
    Q_EMIT stateChanged();
}

void MmModem::syncSim(bool blocking)
{
    const QString sim = QString::fromLatin1(SimInterface);
    const QString path = simPath();
    const quint64 generation = ++m_simGeneration;
    m_properties.remove(sim);
    if (path.isEmpty())
        return;
    QDBusMessage message = QDBusMessage::createMethodCall(QString::fromLatin1(Service), path,
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
    message << sim;
    auto take = [this, sim, generation](const QDBusMessage& reply) {
        if (generation != m_simGeneration || reply.type() != QDBusMessage::ReplyMessage
            || !DBusShape::expectShape(reply, QLatin1String("a{sv}"), "ModemManager Sim GetAll"))
            return;
        m_properties.insert(
            sim, MmMapping::normalise(qdbus_cast<QVariantMap>(reply.arguments().constFirst())));
    };
    if (blocking) {
        take(m_bus.call(message, QDBus::Block, ListTimeoutMs));
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message, CallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, take](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        take(w->reply());
        Q_EMIT stateChanged();
    });
}

void MmModem::enableIfNeeded(bool blocking)
{
    const QVariant state
        = m_properties.value(QString::fromLatin1(ModemInterface)).value(QStringLiteral("State"));
    if (m_enableRequested || !state.isValid() || state.toInt() != MmMapping::StateDisabled)
        return;
    m_enableRequested = true;
    KTRACE() << "enabling" << m_path;
    const QString path = m_path;
    auto judge = [this, path](const QDBusMessage& reply) {
        if (path != m_path || reply.type() != QDBusMessage::ErrorMessage)
            return;
        const QString error = reply.errorName();
        if (error == mmError + QLatin1String("Core.WrongState")
            || error == mmError + QLatin1String("Core.InProgress")) {
            // Asked too early: the next state change asks again.
            m_enableRequested = false;
        } else if (error == mmError + QLatin1String("Core.Unauthorized")) {
            qWarning("ModemManager: not allowed to enable the modem: the polkit action "
                     "org.freedesktop.ModemManager1.Device.Control must be granted");
        } else if (!error.startsWith(QLatin1String("org.freedesktop.DBus.Error."))) {
            // ModemManager's own refusal, mapped or not (a port that cannot be
            // opened comes as an unmapped GIO error); the bus's errors (no
            // reply, timeout) say nothing about the modem.
            qWarning("ModemManager: modem %s cannot be enabled: %s", qPrintable(path), qPrintable(error));
            m_enableFailed = true;
            Q_EMIT stateChanged();
        } else {
            KTRACE() << "enable not confirmed:" << error;
        }
    };
    QDBusMessage enable = QDBusMessage::createMethodCall(
        QString::fromLatin1(Service), m_path, QString::fromLatin1(ModemInterface), QStringLiteral("Enable"));
    enable << true;
    if (blocking) {
        // The modem check at start must see a modem that fails, as on oFono.
        judge(m_bus.call(enable, QDBus::Block, EnableTimeoutMs));
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(enable, CallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [judge](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        judge(w->reply());
    });
}

void MmModem::dropModem()
{
    if (m_path.isEmpty())
        return;
    KTRACE() << m_path << "gone";
    m_path.clear();
    m_properties.clear();
    ++m_simGeneration;
    m_enableRequested = false;
    m_enableFailed = false;
    Q_EMIT stateChanged();
}

void MmModem::onServiceRegistered()
{
    KTRACE() << "ModemManager appeared";
    listModems(false);
}

void MmModem::onServiceUnregistered()
{
    KTRACE() << "ModemManager left the bus";
    dropModem();
}

} // namespace Cellular
