#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class QDBusMessage;
class QDBusServiceWatcher;

namespace Cellular {

// The one connection to oFono that every cellular object shares. It follows
// the first modem of org.ofono.Manager (ModemAdded/ModemRemoved) and keeps
// that modem's org.ofono.Modem properties current from PropertyChanged.
//
// Started lazily by the first object that needs it. The first start asks
// oFono synchronously, with a bounded wait, so that an object constructed
// at boot can read a meaningful state at once; later changes arrive as signals.
//
// A modem found unpowered is asked to power up (it must be, for its SIM to be
// read). A modem that answers that request with org.ofono.Error.Failed or
// NotAvailable has positively failed. oFono absent, slow or without a modem
// is never a failure.
//
// It also keeps the properties of the modem's SimManager and
// NetworkRegistration: read when the interface appears in Interfaces,
// followed through their PropertyChanged, dropped when it leaves.
class OfonoModem : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* Service = "org.ofono";
    static constexpr const char* ManagerInterface = "org.ofono.Manager";
    static constexpr const char* ModemInterface = "org.ofono.Modem";
    static constexpr const char* SimInterface = "org.ofono.SimManager";
    static constexpr const char* NetworkRegistrationInterface = "org.ofono.NetworkRegistration";
    // Longest the first start blocks on GetModems and on the power-up request.
    static constexpr int ListTimeoutMs = 2000;
    static constexpr int PowerTimeoutMs = 3000;
    // Longest wait for any SIM operation. A modem answers a PIN exchange in
    // a few seconds; a hung oFono must not keep the user on the code page
    // until D-Bus's 25 s default runs out.
    static constexpr int CallTimeoutMs = 10000;

    static OfonoModem* instance();

    QDBusConnection bus() const { return m_bus; }
    bool hasModem() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }
    QVariantMap modemProperties() const { return m_modemProperties; }
    QStringList interfaces() const;
    bool hasInterface(const QString& interface) const;
    bool powerFailed() const { return m_powerFailed; }

    // Properties of a followed interface (SimInterface or
    // NetworkRegistrationInterface), plain values; empty while it is not up.
    QVariantMap interfaceProperties(const QString& interface) const;
    // The interface is listed and its properties have been read.
    bool interfaceReady(const QString& interface) const;

    // An asynchronous call on the followed modem. Without a bus or a modem
    // the returned call has already failed with ServiceUnknown; either way a
    // watcher on it reports once, from the event loop.
    QDBusPendingCall call(const QString& interface, const QString& method, const QVariantList& args = {},
        int timeoutMs = CallTimeoutMs) const;
    static QDBusPendingCall failedCall(const QString& errorName, const QString& message);

Q_SIGNALS:
    // The followed modem appeared, changed or went (empty path).
    void modemChanged(const QString& path);
    void modemPropertyChanged(const QString& name, const QVariant& value);
    // Any of the above or of the followed interfaces' properties, once per
    // change: cheap to recompute derived state.
    void stateChanged();

private Q_SLOTS:
    // Whole messages, checked here: Qt must never demarshal a peer's
    // arguments into types they do not have.
    void onModemAdded(const QDBusMessage& message);
    void onModemRemoved(const QDBusMessage& message);
    void onModemPropertyChanged(const QDBusMessage& message);
    void onSimPropertyChanged(const QDBusMessage& message);
    void onNetworkRegistrationPropertyChanged(const QDBusMessage& message);
    void onServiceRegistered();
    void onServiceUnregistered();

private:
    OfonoModem();
    void listModems(bool blocking);
    void takeModemList(const QDBusMessage& reply);
    void followModem(const QString& path, const QVariantMap& properties);
    void dropModem();
    void powerUpIfNeeded(bool blocking);
    void syncInterfaces(bool blocking);
    void fetchInterface(const QString& interface, bool blocking);
    void takeProperty(const QString& interface, const QDBusMessage& message);
    void takeInterfaceProperties(const QString& interface, quint64 generation, const QDBusMessage& reply);

    struct Tracked
    {
        QVariantMap properties;
        bool ready = false;
        quint64 generation = 0;
        // Properties a PropertyChanged set while the first read was on its
        // way: their values are newer than anything that read can carry.
        QStringList signalled;
    };

    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher;
    QString m_path;
    QVariantMap m_modemProperties;
    bool m_powerFailed = false;
    bool m_powerRequested = false;
    bool m_starting = false;
    QHash<QString, Tracked> m_tracked;
    quint64 m_generation = 0;
};

} // namespace Cellular
