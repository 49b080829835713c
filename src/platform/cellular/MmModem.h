#pragma once

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QHash>
#include <QObject>
#include <QString>
#include <QVariantMap>

class QDBusMessage;
class QDBusServiceWatcher;

namespace Cellular {

// The one connection to ModemManager that every cellular object shares when
// it is the chosen backend. It follows the first modem object of the
// manager's ObjectManager (InterfacesAdded/InterfacesRemoved, never a fixed
// path: ModemManager replaces the object when a modem restarts, e.g. on the
// way into PUK) and keeps its interfaces' properties and those of its SIM
// object current from PropertiesChanged.
//
// ModemManager leaves a modem disabled after unlocking: a modem found
// disabled is enabled once. A refusal by ModemManager other than WrongState,
// InProgress or Unauthorized means the modem positively failed. Like OfonoModem, the first start asks
// (and enables) synchronously with a bounded wait, so that the modem check at
// start sees a failure; ModemManager absent is never a failure.
class MmModem : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* Service = "org.freedesktop.ModemManager1";
    static constexpr const char* ManagerPath = "/org/freedesktop/ModemManager1";
    static constexpr const char* ModemInterface = "org.freedesktop.ModemManager1.Modem";
    static constexpr const char* Modem3gppInterface = "org.freedesktop.ModemManager1.Modem.Modem3gpp";
    static constexpr const char* SimInterface = "org.freedesktop.ModemManager1.Sim";
    static constexpr int ListTimeoutMs = 2000;
    static constexpr int CallTimeoutMs = 10000;
    // The longest the start waits for a modem found disabled to be enabled.
    static constexpr int EnableTimeoutMs = 3000;

    static MmModem* instance();

    QDBusConnection bus() const { return m_bus; }
    // The followed modem object; empty while there is none.
    QString path() const { return m_path; }
    bool hasModem() const { return !m_path.isEmpty(); }
    bool enableFailed() const { return m_enableFailed; }
    // A modem-object interface's properties, or the SIM object's
    // (SimInterface); plain values (MmMapping::normalise), empty while absent.
    QVariantMap properties(const QString& interface) const { return m_properties.value(interface); }
    bool hasInterface(const QString& interface) const { return m_properties.contains(interface); }
    QString simPath() const;

    // An asynchronous call on the modem object, or on its SIM object for
    // SimInterface. Without a modem (or SIM) the call has already failed
    // with ServiceUnknown; a watcher reports once, from the event loop.
    QDBusPendingCall call(const QString& interface, const QString& method, const QVariantList& args = {},
        int timeoutMs = CallTimeoutMs) const;
    QDBusPendingCall call(const QString& path, const QString& interface, const QString& method,
        const QVariantList& args, int timeoutMs) const;

    // Reads one property fresh (Properties.Get) from the modem object, or from
    // the SIM object for SimInterface.
    QDBusPendingCall get(const QString& interface, const QString& name) const;
    // The plain value of a Get reply; invalid (logged) for a wrong shape.
    static QVariant takeValue(const QDBusMessage& reply, const QString& name);

Q_SIGNALS:
    // Any change of the followed modem or its properties, once per change.
    void stateChanged();
    // A property of the followed modem or its SIM changed (already stored).
    void propertyChanged(const QString& interface, const QString& name);

private Q_SLOTS:
    void onInterfacesAdded(const QDBusMessage& message);
    void onInterfacesRemoved(const QDBusMessage& message);
    void onPropertiesChanged(const QDBusMessage& message);
    void onServiceRegistered();
    void onServiceUnregistered();

private:
    MmModem();
    void listModems(bool blocking);
    void takeObjects(const QDBusMessage& reply);
    void takeInterfaces(const QString& path, const QVariantMap& interfaces);
    void dropModem();
    void syncSim(bool blocking);
    void enableIfNeeded(bool blocking);

    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher;
    QString m_path;
    QHash<QString, QVariantMap> m_properties;
    bool m_enableRequested = false;
    bool m_enableFailed = false;
    bool m_starting = false;
    quint64 m_simGeneration = 0;
};

} // namespace Cellular
