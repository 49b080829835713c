#include "PinCodeQueryIf.h"

#include "PinCodeSessionIf.h"
#include "QueryManager.h"

#include <platform/Trace.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

PinCodeQueryIf::PinCodeQueryIf(QueryManager* manager)
    : QDBusAbstractAdaptor(manager)
    , manager(manager)
{
    KTRACE();
    session = new PinCodeSessionIf(manager);
    connect(this, &PinCodeQueryIf::PinQueryEnabled, session, &PinCodeSessionIf::PinQueryEnabled);
    connect(this, &PinCodeQueryIf::PinQueryDone, session, &PinCodeSessionIf::PinQueryDone);
}

bool PinCodeQueryIf::isRegistered() const
{
    QDBusConnectionInterface* system = QDBusConnection::systemBus().interface();
    QDBusConnectionInterface* sessionBus = QDBusConnection::sessionBus().interface();
    return system && sessionBus && system->isServiceRegistered(QLatin1String(ServiceName))
        && sessionBus->isServiceRegistered(QLatin1String(PinCodeSessionIf::ServiceName));
}

bool PinCodeQueryIf::registerService()
{
    KTRACE() << "Reqister system bus";
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.registerObject(QLatin1String(ObjectPath), manager, QDBusConnection::ExportAdaptors)) {
        KTRACE() << "failed to register object";
        return false;
    }
    if (!bus.registerService(QLatin1String(ServiceName))) {
        KTRACE() << "failed to register service" << bus.lastError().message();
        return false;
    }
    KTRACE() << "bus registered";
    return session->registerService();
}

bool PinCodeQueryIf::unregisterService()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    bus.unregisterObject(QLatin1String(ObjectPath));
    if (!bus.unregisterService(QLatin1String(ServiceName))) {
        KTRACE() << "failed to unregister service";
        return false;
    }
    KTRACE() << "bus unregistered";
    return session->unregisterService();
}

void PinCodeQueryIf::ChangePinCode()
{
    KTRACE();
    manager->changePinCode();
}

void PinCodeQueryIf::PinQueryState(const QString& pinType)
{
    Q_UNUSED(pinType)
    KTRACE();
    manager->pinQueryState();
}

void PinCodeQueryIf::EnablePinQuery(bool enable)
{
    KTRACE() << enable;
    manager->enablePinQueryRequested(enable);
}

bool PinCodeQueryIf::LaunchPinQuery(const QString& pinType)
{
    Q_UNUSED(pinType) // always the card's own PIN
    KTRACE();
    return manager->launchPinQuery(SIMSecurity::PinTypePin);
}

void PinCodeQueryIf::pinQueryStateCompletedResponse(SIMSecurity::PINQuery state, SIMError error)
{
    KTRACE() << state << error;
    Q_EMIT PinQueryStateCompleted(state);
}

void PinCodeQueryIf::pinQueryEnabledResponse(SIMSecurity::PINQuery queryState)
{
    KTRACE() << queryState;
    Q_EMIT PinQueryEnabled(queryState);
}

void PinCodeQueryIf::pinQueryShownResponse()
{
    KTRACE();
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(ObjectPath), QLatin1String(Interface), QStringLiteral("PinQueryShown"));
    QDBusConnection::systemBus().send(signal);
}

void PinCodeQueryIf::pinQueryDoneResponse(bool queryOk)
{
    KTRACE() << "ok:" << queryOk << "New way testing";
    Q_EMIT PinQueryDone(queryOk);
}
