#include "NetworkRegistration.h"

#include "CellularBackend.h"
#include "MmMapping.h"
#include "MmModem.h"
#include "OfonoMapping.h"
#include "OfonoModem.h"

#include "../Trace.h"

namespace Cellular {

namespace {

QVariant netregProperty(const OfonoModem* modem, const char* name);

int modeOf(const OfonoModem* modem, const MmModem* mm)
{
    return mm ? int(NetworkRegistration::ModeUnknown)
              : OfonoMapping::registrationMode(netregProperty(modem, "Mode"));
}

int statusOf(const OfonoModem* modem, const MmModem* mm)
{
    if (mm)
        return MmMapping::registrationStatus(mm->properties(QString::fromLatin1(MmModem::Modem3gppInterface))
                                                 .value(QStringLiteral("RegistrationState")));
    return OfonoMapping::registrationStatus(netregProperty(modem, "Status"));
}

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
    , m_modem(CellularBackend::ofono())
    , m_mm(CellularBackend::modemManager())
    , m_mode(modeOf(m_modem, m_mm))
    , m_status(statusOf(m_modem, m_mm))
{
    if (m_mm)
        connect(m_mm, &MmModem::stateChanged, this, &NetworkRegistration::update);
    else
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
    const int mode = modeOf(m_modem, m_mm);
    const int status = statusOf(m_modem, m_mm);
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
