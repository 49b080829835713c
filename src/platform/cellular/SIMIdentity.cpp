#include "SIMIdentity.h"

#include "OfonoMapping.h"
#include "OfonoModem.h"

#include "../DBusShape.h"
#include "../Trace.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

namespace Cellular {
namespace SIM {

SIMIdentity::SIMIdentity(QObject* parent)
    : QObject(parent)
    , m_modem(OfonoModem::instance())
{
    registerMetaTypes();
}

bool SIMIdentity::isValid() const
{
    const QString sim = QString::fromLatin1(OfonoModem::SimInterface);
    const QVariant present = m_modem->interfaceProperties(sim).value(QStringLiteral("Present"));
    return m_modem->interfaceReady(sim) && present.toBool();
}

void SIMIdentity::imsi()
{
    KTRACE();
    auto* watcher = new QDBusPendingCallWatcher(
        m_modem->call(QString::fromLatin1(OfonoModem::SimInterface), QStringLiteral("GetProperties")), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusMessage reply = w->reply();
        if (reply.type() != QDBusMessage::ReplyMessage) {
            KTRACE() << "failed:" << reply.errorName();
            Q_EMIT imsiComplete(QString(), SIMError(OfonoMapping::simError(reply.errorName())));
            return;
        }
        if (!DBusShape::expectShape(reply, QLatin1String("a{sv}"), "org.ofono.SimManager.GetProperties")) {
            Q_EMIT imsiComplete(QString(), OtherFailure);
            return;
        }
        const QVariant imsi = OfonoMapping::normalise(qdbus_cast<QVariantMap>(reply.arguments().constFirst()))
                                  .value(QStringLiteral("SubscriberIdentity"));
        if (imsi.metaType().id() != QMetaType::QString || imsi.toString().isEmpty()) {
            Q_EMIT imsiComplete(QString(), SimNotReady);
            return;
        }
        Q_EMIT imsiComplete(imsi.toString(), NoError);
    });
}

} // namespace SIM
} // namespace Cellular
