#pragma once

#include <QLatin1String>

class QDBusMessage;

// Peers on the bus are not trusted to send what their interface promises: a
// reply or signal whose arguments are read with qdbus_cast while their type
// differs aborts the process. Everything the daemon receives goes through
// expectShape() first; a wrong shape becomes a failure with one log line.
namespace DBusShape {

// True when `message` is a method reply or signal whose signature is exactly
// `signature` (e.g. "a{sv}", "sv", "" for no arguments). Otherwise logs one
// warning naming `what`, the expected and the received signature (or the
// error name of an error reply) and returns false.
bool expectShape(const QDBusMessage& message, QLatin1String signature, const char* what);

} // namespace DBusShape
