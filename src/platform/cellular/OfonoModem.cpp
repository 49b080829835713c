#include "OfonoModem.h"

#include "OfonoMapping.h"
#include "SIMError.h"

#include "../DBusShape.h"
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
        QStringLiteral("ModemAdded"), this, SLOT(onModemAdded(QDBusMessage)));
    m_bus.connect(service, QStringLiteral("/"), QString::fromLatin1(ManagerInterface),
        QStringLiteral("ModemRemoved"), this, SLOT(onModemRemoved(QDBusMessage)));
    // Every object's changes, subscribed before anything is read: a match
    // added only once a modem is known would miss what it did meanwhile.
    // The slots keep what concerns the followed modem.
    m_bus.connect(service, QString(), QString::fromLatin1(ModemInterface), QStringLiteral("PropertyChanged"),
        this, SLOT(onModemPropertyChanged(QDBusMessage)));
    m_bus.connect(service, QString(), QString::fromLatin1(SimInterface), QStringLiteral("PropertyChanged"),
        this, SLOT(onSimPropertyChanged(QDBusMessage)));
    m_bus.connect(service, QString(), QString::fromLatin1(NetworkRegistrationInterface),
        QStringLiteral("PropertyChanged"), this, SLOT(onNetworkRegistrationPropertyChanged(QDBusMessage)));
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
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qWarning(
            "oFono: cannot read %s properties: %s", qPrintable(interface), qPrintable(reply.errorName()));
        // Slow, not gone: nothing else would bring the interface's state.
        if (OfonoMapping::simError(reply.errorName()) == SIM::NoReply)
            fetchInterface(interface, false);
        return;
    }
    const QByteArray what = interface.toLatin1() + ".GetProperties";
    if (!DBusShape::expectShape(reply, QLatin1String("a{sv}"), what.constData()))
        return;
    QVariantMap properties = OfonoMapping::normalise(qdbus_cast<QVariantMap>(reply.arguments().constFirst()));
    // A change signalled while the read was on its way wins over the read,
    // whichever of the two oFono produced first.
    for (const QString& name : std::as_const(it->signalled)) {
        if (it->properties.contains(name))
            properties.insert(name, it->properties.value(name));
        else
            properties.remove(name);
    }
    it->signalled.clear();
    it->properties = properties;
    it->ready = true;
    KTRACE() << interface << "read";
}

void OfonoModem::onSimPropertyChanged(const QDBusMessage& message)
{
    takeProperty(QString::fromLatin1(SimInterface), message);
}

void OfonoModem::onNetworkRegistrationPropertyChanged(const QDBusMessage& message)
{
    takeProperty(QString::fromLatin1(NetworkRegistrationInterface), message);
}

namespace {

// Name and plain value of a PropertyChanged signal; false for a wrong shape.
// A value of the wrong type comes back invalid: the property is gone.
bool propertyChange(const QDBusMessage& message, const QString& interface, QString* name, QVariant* value)
{
    const QByteArray what = interface.toLatin1() + ".PropertyChanged";
    if (!DBusShape::expectShape(message, QLatin1String("sv"), what.constData()))
        return false;
    *name = message.arguments().at(0).toString();
    *value = OfonoMapping::normalise(*name, message.arguments().at(1).value<QDBusVariant>().variant());
    return true;
}

void store(QVariantMap& properties, const QString& name, const QVariant& value)
{
    if (value.isValid())
        properties.insert(name, value);
    else
        properties.remove(name);
}

} // namespace

void OfonoModem::takeProperty(const QString& interface, const QDBusMessage& message)
{
    if (message.path() != m_path || m_path.isEmpty())
        return;
    QString name;
    QVariant value;
    if (!propertyChange(message, interface, &name, &value))
        return;
    auto it = m_tracked.find(interface);
    if (it == m_tracked.end())
        return;
    store(it->properties, name, value);
    if (!it->ready && !it->signalled.contains(name))
        it->signalled.append(name);
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
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, CallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        takeModemList(w->reply());
    });
}

void OfonoModem::takeModemList(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage) {
        KTRACE() << "no modem list:" << reply.errorName() << reply.errorMessage();
        // An oFono still starting (or busy) is asked again: a modem it already
        // has is announced no other way.
        if (OfonoMapping::simError(reply.errorName()) == SIM::NoReply && m_path.isEmpty())
            listModems(false);
        return;
    }
    if (!DBusShape::expectShape(reply, QLatin1String("a(oa{sv})"), "org.ofono.Manager.GetModems"))
        return;
    const ModemList modems = qdbus_cast<ModemList>(reply.arguments().constFirst());
    KTRACE() << "modems:" << modems.size();
    if (!modems.isEmpty() && m_path.isEmpty())
        followModem(modems.constFirst().path.path(), modems.constFirst().properties);
}

void OfonoModem::followModem(const QString& path, const QVariantMap& properties)
{
    KTRACE() << path;
    m_path = path;
    m_modemProperties = OfonoMapping::normalise(properties);
    m_powerFailed = false;
    m_powerRequested = false;
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

void OfonoModem::onModemAdded(const QDBusMessage& message)
{
    if (!DBusShape::expectShape(message, QLatin1String("oa{sv}"), "org.ofono.Manager.ModemAdded"))
        return;
    if (m_path.isEmpty())
        followModem(message.arguments().at(0).value<QDBusObjectPath>().path(),
            qdbus_cast<QVariantMap>(message.arguments().at(1)));
}

void OfonoModem::onModemRemoved(const QDBusMessage& message)
{
    if (!DBusShape::expectShape(message, QLatin1String("o"), "org.ofono.Manager.ModemRemoved"))
        return;
    if (message.arguments().at(0).value<QDBusObjectPath>().path() != m_path)
        return;
    dropModem();
    // Another modem may still be there.
    listModems(false);
}

void OfonoModem::onModemPropertyChanged(const QDBusMessage& message)
{
    if (message.path() != m_path || m_path.isEmpty())
        return;
    QString name;
    QVariant value;
    if (!propertyChange(message, QString::fromLatin1(ModemInterface), &name, &value))
        return;
    store(m_modemProperties, name, value);
    if (name == QLatin1String("Powered") && value.toBool())
        m_powerFailed = false;
    if (name == QLatin1String("Interfaces"))
        syncInterfaces(false);
    Q_EMIT modemPropertyChanged(name, value);
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
