#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace Cellular {

// Every translation from oFono's vocabulary to the numbers the rest of the
// daemon compares against lives here, and only here.
//
// SIM status (SIM::SIMStatus::Status) from the modem and its SimManager:
//   oFono absent, or no modem                        -1 StatusUnknown
//   modem without SimManager in Interfaces (not yet
//     powered, powering failed), or its properties
//     not read yet                                    3 StatusNotReady
//   Present false                                     1 StatusNoSim
//   Present not a boolean, PinRequired missing or
//     a name oFono does not define                    3 StatusNotReady
//   PinRequired "none"                                0 StatusOk
//   PinRequired "pin2", "puk2" (they guard only
//     fixed dialling; the card is usable)             0 StatusOk
//   PinRequired "pin"                                 4 StatusPinRequired
//   PinRequired "puk", Retries["puk"] not 0           5 StatusPukRequired
//   PinRequired "puk", Retries["puk"] == 0 (the card
//     is blocked for good: asking for the PUK is
//     pointless)                                      2 StatusRejected
//   PinRequired a personalisation lock ("phone",
//     "firstphone", "network", "netsub", "service",
//     "corp" or their "...puk": the phone refuses
//     this card)                                      6 StatusRejectedOther
// Nothing maps above 6.
//
// SIM error (SIM::SIMError) from a D-Bus reply:
//   a reply                                           0 NoError
//   org.ofono.Error.Failed (oFono's answer to a
//     refused code), .InvalidFormat (malformed code,
//     costs no try), .IncorrectPassword               7 WrongCode
//   org.ofono.Error.InProgress                        8 QuietFailure
//   org.freedesktop.DBus.Error.NoReply, .Timeout,
//     .TimedOut, org.ofono.Error.Timedout (timed out,
//     or oFono left the bus before answering)         3 NoReply
//   org.freedesktop.DBus.Error.ServiceUnknown,
//     .NameHasNoOwner, .UnknownMethod, .UnknownObject,
//     .UnknownInterface, .Disconnected (no oFono, no
//     modem, or the SIM interface is not up)          2 ServiceUnavailable
//   org.ofono.Error.SimNotReady, .NotAvailable        4 SimNotReady
//   anything else                                     1 OtherFailure
//
// PIN attempts: Retries["pin"]; -1 when oFono cannot tell (key missing).
// PIN query state (SIM::SIMSecurity::PINQuery): LockedPins contains "pin"
//   -> 0 QueryEnabled, otherwise 1 QueryDisabled; LockedPins missing (card
//   absent or unreadable) -> -1 QueryStateUnknown.
//
// Registration status (NetworkRegistration::Status) from Status:
//   "registered" 0 StatusHome        "roaming"   1 StatusRoaming
//   "unregistered" 2 StatusNoNetwork "searching" 3 StatusSearching
//   "denied" 5 StatusDenied          "unknown", anything else, interface
//                                     not up or no modem: -1 StatusUnknown
// oFono has no limited-service state, so 7 never comes from it.
// Selection mode (NetworkRegistration::Mode) from Mode:
//   "auto" 0 ModeAutomatic  "manual" 1 ModeManual
//   "auto-only" 2 ModeAutomaticOnly (the user cannot pick a network)
//   anything else, interface not up or no modem: -1 ModeUnknown
// Reject code: oFono exposes none, so always NoRejectCause (-1): a denial
//   never claims a specific cause.
//
// Codes: PIN type 0 is oFono's "pin", PUK type 0 is "puk"; no other type
//   is accepted.
// Verifying the PIN: EnterPin, which oFono takes only while the card asks
//   for that code (on a ready card: InvalidFormat, nothing sent to the card).
// Changing the PIN: one ChangePin(old, new) after the user typed the old PIN
//   and the new one twice - on a ready card nothing else makes the card check
//   the old PIN without touching its lock (lock calls for the state the lock
//   is already in are answered OK unchecked by some modules, refused by some
//   cards). Not sent while LockedPins lacks "pin" (cards refuse CHANGE PIN
//   with the PIN disabled), nor with the new PIN equal to the old one (oFono
//   answers that at once without asking the card).
class OfonoMapping
{
public:
    static constexpr int NoRejectCause = -1;

    static int simStatus(bool modemKnown, bool simInterfaceUp, const QVariantMap& sim);
    static int simError(const QString& dbusErrorName);
    static int pinAttempts(const QVariantMap& sim);
    static int pinQuery(const QVariantMap& sim);
    static int registrationStatus(const QVariant& status);
    static int registrationMode(const QVariant& mode);

    static QString pinTypeName(int type);
    static QString pukTypeName(int type);

    // Brings a property value into a plain form: Retries (a{sy}) arrives as
    // a QDBusArgument that can be read only once, and becomes a QVariantMap
    // of ints. A property the daemon reads whose value has another D-Bus
    // type than oFono gives it is logged and yields an invalid QVariant:
    // it counts as absent (the map form leaves it out).
    static QVariant normalise(const QString& name, const QVariant& value);
    static QVariantMap normalise(const QVariantMap& properties);
    // The D-Bus type of each property the daemon reads; empty for the rest.
    static QLatin1String propertySignature(const QString& name);
};

} // namespace Cellular
