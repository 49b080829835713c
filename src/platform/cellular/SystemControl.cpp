#include "SystemControl.h"

#include "CellularBackend.h"
#include "MmMapping.h"
#include "MmModem.h"
#include "OfonoModem.h"

namespace Cellular {

namespace {

int statusOf(const OfonoModem* modem, const MmModem* mm)
{
    if (mm)
        return MmMapping::systemStatus(
            mm->hasModem(), mm->enableFailed(), mm->properties(QString::fromLatin1(MmModem::ModemInterface)));
    if (!modem->hasModem())
        return SystemControl::StatusUnknown;
    if (modem->powerFailed())
        return SystemControl::StatusFailed;
    const QVariantMap props = modem->modemProperties();
    if (!props.value(QStringLiteral("Powered")).toBool())
        return SystemControl::StatusOff;
    return props.value(QStringLiteral("Online")).toBool() ? SystemControl::StatusOn
                                                          : SystemControl::StatusOffline;
}

} // namespace

SystemControl::SystemControl(QObject* parent)
    : QObject(parent)
    , m_modem(CellularBackend::ofono())
    , m_mm(CellularBackend::modemManager())
    , m_status(statusOf(m_modem, m_mm))
{
    if (m_mm)
        connect(m_mm, &MmModem::stateChanged, this, &SystemControl::update);
    else
        connect(m_modem, &OfonoModem::stateChanged, this, &SystemControl::update);
}

int SystemControl::status() const
{
    return m_status;
}

void SystemControl::update()
{
    const int status = statusOf(m_modem, m_mm);
    if (status == m_status)
        return;
    m_status = status;
    Q_EMIT statusChanged(status);
}

} // namespace Cellular
