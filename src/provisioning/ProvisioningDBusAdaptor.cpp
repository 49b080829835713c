#include "ProvisioningDBusAdaptor.h"

#include "Provisioning.h"

#include <platform/Trace.h>

#include <QDBusConnection>

namespace {

// The names come from a peer: a long list is traced by its head only.
QString quotedList(const QStringList& names)
{
    constexpr int Shown = 16;
    QStringList quoted;
    for (const QString& name : names.mid(0, Shown))
        quoted << QLatin1Char('"') + name.left(64) + QLatin1Char('"');
    if (names.size() > Shown)
        quoted << QStringLiteral("... %1 names in all").arg(names.size());
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
