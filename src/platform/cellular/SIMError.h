#pragma once

#include <QObject>

namespace Cellular {
namespace SIM {

Q_NAMESPACE

// The error every SIM completion carries. The numbers are what callers
// compare against; 1-6 and 12 up (but 13) are all "some other failure",
// 8-10 are failures nobody needs to be told about.
enum SIMError {
    NoError = 0,
    OtherFailure = 1, // an error reply nobody expected
    ServiceUnavailable = 2, // no oFono, no modem, or the SIM interface is not up
    NoReply = 3, // timed out, or oFono left the bus before answering
    SimNotReady = 4, // no card, or the card cannot be read yet
    WrongCode = 7, // the code was refused or is malformed
    QuietFailure = 8, // another SIM operation is still running
    SimRejectedError = 11, // never produced over oFono
    OperationNotPossible = 13 // reported by callers themselves, never by the service
};
Q_ENUM_NS(SIMError)

// Makes the SIM enums usable in queued connections, under their full names
// and under the short spellings used in signal signatures. Safe to repeat.
void registerMetaTypes();

} // namespace SIM
} // namespace Cellular
