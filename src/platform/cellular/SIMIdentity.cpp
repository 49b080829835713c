#include "SIMIdentity.h"

#include "CellularBackend.h"
#include "MmMapping.h"
#include "MmModem.h"
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
    , m_modem(CellularBackend::ofono())
    , m_mm(CellularBackend::modemManager())
{
    registerMetaTypes();
}

bool SIMIdentity::isValid() const
{
    if (m_mm)
        return !m_mm->simPath().isEmpty();
    const QString sim = QString::fromLatin1(OfonoModem::SimInterface);
    const QVariant present = m_modem->interfaceProperties(sim).value(QStringLiteral("Present"));
    return m_modem->interfaceReady(sim) && present.toBool();
}

void SIMIdentity::imsi()
{
    KTRACE();
    if (m_mm) {
        // The SIM object's Imsi is empty until the card is unlocked and read.
        auto* watcher = new QDBusPendingCallWatcher(
            m_mm->get(QString::fromLatin1(MmModem::SimInterface), QStringLiteral("Imsi")), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            const QDBusMessage reply = w->reply();
            if (reply.type() != QDBusMessage::ReplyMessage) {
                KTRACE() << "failed:" << reply.errorName();
                Q_EMIT imsiComplete(QString(), SIMError(MmMapping::simError(reply.errorName())));
                return;
            }
            const QVariant imsi = MmModem::takeValue(reply, QStringLiteral("Imsi"));
            if (!imsi.isValid())
                Q_EMIT imsiComplete(QString(), OtherFailure);
            else if (imsi.toString().isEmpty())
                Q_EMIT imsiComplete(QString(), SimNotReady);
            else
                Q_EMIT imsiComplete(imsi.toString(), NoError);
        });
        return;
    }
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
