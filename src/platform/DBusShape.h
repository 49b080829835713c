#pragma once

#include <QLatin1String>
#include <QString>
#include <QVariantMap>

class QDBusMessage;
class QVariant;

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

// The D-Bus signature of one value as Qt demarshalled it (a message argument
// or the contents of a variant); empty when Qt has no D-Bus type for it.
QString signatureOf(const QVariant& value);

// The same check for a value inside a variant, which the message signature
// cannot tell: true when `value` has `signature`, otherwise one warning
// naming `what` and false.
bool expectType(const QVariant& value, QLatin1String signature, const char* what);

// A property of `service` called `name`: expectType() against `signature`,
// anything passes when the signature is empty (a property we do not read).
bool expectProperty(const QVariant& value, QLatin1String signature, const char* service, const QString& name);

// The properties `normalise` keeps, in their plain form; it answers an
// invalid variant for one to drop.
QVariantMap normaliseEach(
    const QVariantMap& properties, QVariant (*normalise)(const QString&, const QVariant&));

} // namespace DBusShape
