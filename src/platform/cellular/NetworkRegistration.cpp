#include "NetworkRegistration.h"

#include "OfonoMapping.h"
#include "OfonoModem.h"

#include "../Trace.h"

namespace Cellular {

namespace {

QVariant netregProperty(const OfonoModem* modem, const char* name)
{
    const QString netreg = QString::fromLatin1(OfonoModem::NetworkRegistrationInterface);
    if (!modem->interfaceReady(netreg))
        return QVariant();
    return modem->interfaceProperties(netreg).value(QLatin1String(name));
}

} // namespace

NetworkRegistration::NetworkRegistration(QObject* parent)
    : QObject(parent)
    , m_modem(OfonoModem::instance())
    , m_mode(OfonoMapping::registrationMode(netregProperty(m_modem, "Mode")))
    , m_status(OfonoMapping::registrationStatus(netregProperty(m_modem, "Status")))
{
    connect(m_modem, &OfonoModem::stateChanged, this, &NetworkRegistration::update);
}

int NetworkRegistration::mode() const
{
    return m_mode;
}

int NetworkRegistration::status() const
{
    return m_status;
}

void NetworkRegistration::update()
{
    const int mode = OfonoMapping::registrationMode(netregProperty(m_modem, "Mode"));
    const int status = OfonoMapping::registrationStatus(netregProperty(m_modem, "Status"));
    // Mode first: a listener judging the status wants the mode it came with.
    if (mode != m_mode) {
        KTRACE() << m_mode << "->" << mode;
        m_mode = mode;
        Q_EMIT modeChanged(mode);
    }
    if (status != m_status) {
        KTRACE() << m_status << "->" << status;
        m_status = status;
        Q_EMIT statusWithRejectCodeChanged(status, OfonoMapping::NoRejectCause);
    }
}

} // namespace Cellular
