#include "SIMStatus.h"

#include "OfonoMapping.h"
#include "OfonoModem.h"

#include "../Trace.h"

namespace Cellular {
namespace SIM {

namespace {

SIMStatus::Status statusOf(const OfonoModem* modem)
{
    const QString sim = QString::fromLatin1(OfonoModem::SimInterface);
    return SIMStatus::Status(OfonoMapping::simStatus(
        modem->hasModem(), modem->interfaceReady(sim), modem->interfaceProperties(sim)));
}

} // namespace

SIMStatus::SIMStatus(QObject* parent)
    : QObject(parent)
    , m_modem(OfonoModem::instance())
    , m_status(statusOf(m_modem))
{
    registerMetaTypes();
    connect(m_modem, &OfonoModem::stateChanged, this, &SIMStatus::update);
}

void SIMStatus::status()
{
    KTRACE();
    // Answered from the event loop, with whatever is current by then.
    QMetaObject::invokeMethod(
        this, [this] { Q_EMIT statusComplete(m_status, NoError); }, Qt::QueuedConnection);
}

void SIMStatus::update()
{
    const Status status = statusOf(m_modem);
    if (status == m_status)
        return;
    KTRACE() << m_status << "->" << status;
    m_status = status;
    Q_EMIT statusChanged(status);
}

} // namespace SIM
} // namespace Cellular
