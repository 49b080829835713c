#include "PinCodeSessionIf.h"

#include "QueryManager.h"

#include <platform/Trace.h>

#include <QDBusConnection>

PinCodeSessionIf::PinCodeSessionIf(QueryManager* manager)
    : QObject(manager)
    , manager(manager)
{
    KTRACE();
}

bool PinCodeSessionIf::registerService()
{
    KTRACE() << "Register session bus";
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/"), this, QDBusConnection::ExportAdaptors)) {
        KTRACE() << "failed to register object";
        return false;
    }
    if (!bus.registerService(QLatin1String(ServiceName))) {
        KTRACE() << "failed to register service";
        return false;
    }
    KTRACE() << "bus registered";
    return true;
}

bool PinCodeSessionIf::unregisterService()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(QStringLiteral("/"));
    if (!bus.unregisterService(QLatin1String(ServiceName))) {
        KTRACE() << "failed to unregister service";
        return false;
    }
    KTRACE() << "bus unregistered";
    return true;
}

void PinCodeSessionIf::ChangePinCode()
{
    KTRACE();
    manager->changePinCode();
}

void PinCodeSessionIf::EnablePinQuery(bool enable)
{
    KTRACE() << enable;
    manager->enablePinQueryRequested(enable);
}

void PinCodeSessionIf::LaunchPinQuery(const QString& pinType)
{
    Q_UNUSED(pinType)
    KTRACE();
    manager->launchPinQuery(SIMSecurity::PinTypePin);
}
