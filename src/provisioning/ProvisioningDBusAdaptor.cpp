#include "ProvisioningDBusAdaptor.h"

#include "Provisioning.h"

#include <platform/Trace.h>

#include <QDBusConnection>

namespace {

QString quotedList(const QStringList& names)
{
    QStringList quoted;
    quoted.reserve(names.size());
    for (const QString& name : names)
        quoted << QLatin1Char('"') + name + QLatin1Char('"');
    return QLatin1Char('(') + quoted.join(QLatin1String(", ")) + QLatin1Char(')');
}

} // namespace

ProvisioningDBusAdaptor::ProvisioningDBusAdaptor(Provisioning& provisioning, QObject* parent)
    : QDBusAbstractAdaptor(parent)
    , m_provisioning(provisioning)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.registerObject(QLatin1String(ObjectPath), &provisioning, QDBusConnection::ExportAdaptors)) {
        qWarning("failed to register object \"%s\"", ObjectPath);
        return;
    }
    if (!bus.registerService(QLatin1String(ServiceName)))
        qWarning("failed to register service \"%s\"", ServiceName);
}

void ProvisioningDBusAdaptor::iap_select_req(const QStringList& gprsApNames, const QStringList& mmsApNames)
{
    KTRACE() << quotedList(gprsApNames) << quotedList(mmsApNames);
    m_provisioning.iapSelectReq(gprsApNames, mmsApNames);
}

void ProvisioningDBusAdaptor::pin_query_req(bool isRetry)
{
    KTRACE() << (isRetry ? "true" : "false");
    m_provisioning.pinQueryReq();
}

void ProvisioningDBusAdaptor::notification_req(const QString& notificationType)
{
    KTRACE() << '"' + notificationType + '"';
    m_provisioning.notificationReq(notificationType);
}
