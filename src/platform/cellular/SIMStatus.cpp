#include "SIMStatus.h"

#include "CellularBackend.h"
#include "MmMapping.h"
#include "MmModem.h"
#include "OfonoMapping.h"
#include "OfonoModem.h"

#include "../Trace.h"

namespace Cellular {
namespace SIM {

namespace {

SIMStatus::Status statusOf(const OfonoModem* modem, const MmModem* mm)
{
    if (mm)
        return SIMStatus::Status(MmMapping::simStatus(
            mm->hasModem(), mm->properties(QString::fromLatin1(MmModem::ModemInterface))));
    const QString sim = QString::fromLatin1(OfonoModem::SimInterface);
    return SIMStatus::Status(OfonoMapping::simStatus(
        modem->hasModem(), modem->interfaceReady(sim), modem->interfaceProperties(sim)));
}

} // namespace

SIMStatus::SIMStatus(QObject* parent)
    : QObject(parent)
    , m_modem(CellularBackend::ofono())
    , m_mm(CellularBackend::modemManager())
    , m_status(statusOf(m_modem, m_mm))
{
    registerMetaTypes();
    if (m_mm)
        connect(m_mm, &MmModem::stateChanged, this, &SIMStatus::update);
    else
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
    const Status status = statusOf(m_modem, m_mm);
    if (status == m_status)
        return;
    KTRACE() << m_status << "->" << status;
    m_status = status;
    Q_EMIT statusChanged(status);
}

} // namespace SIM
} // namespace Cellular
