#include "SystemControl.h"

#include "OfonoModem.h"

namespace Cellular {

namespace {

int statusOf(const OfonoModem* modem)
{
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
    , m_modem(OfonoModem::instance())
    , m_status(statusOf(m_modem))
{
    connect(m_modem, &OfonoModem::stateChanged, this, &SystemControl::update);
}

int SystemControl::status() const
{
    return m_status;
}

void SystemControl::update()
{
    const int status = statusOf(m_modem);
    if (status == m_status)
        return;
    m_status = status;
    Q_EMIT statusChanged(status);
}

} // namespace Cellular
