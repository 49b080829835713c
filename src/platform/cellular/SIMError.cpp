#include "SIMError.h"

#include "SIMSecurity.h"
#include "SIMStatus.h"

#include <QMetaType>

namespace Cellular {
namespace SIM {

void registerMetaTypes()
{
    // The short names are how signatures inside the daemon spell them.
    qRegisterMetaType<SIMError>("SIMError");
    qRegisterMetaType<SIMError>("Cellular::SIM::SIMError");
    qRegisterMetaType<SIMStatus::Status>("SIMStatus::Status");
    qRegisterMetaType<SIMStatus::Status>("Cellular::SIM::SIMStatus::Status");
    qRegisterMetaType<SIMSecurity::PINQuery>("SIMSecurity::PINQuery");
    qRegisterMetaType<SIMSecurity::PINQuery>("Cellular::SIM::SIMSecurity::PINQuery");
    qRegisterMetaType<SIMSecurity::PINType>("SIMSecurity::PINType");
    qRegisterMetaType<SIMSecurity::PUKType>("SIMSecurity::PUKType");
}

} // namespace SIM
} // namespace Cellular
