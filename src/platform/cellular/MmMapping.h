#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace Cellular {

// Every translation from ModemManager's vocabulary to the numbers the rest of
// the daemon compares against (the same numbers OfonoMapping yields).
// `modem` is the followed modem's org.freedesktop.ModemManager1.Modem
// properties (State, StateFailedReason, UnlockRequired, UnlockRetries, Sim).
//
// SIM status (SIM::SIMStatus::Status):
//   no ModemManager, or no modem                        -1 StatusUnknown
//   State failed (-1), StateFailedReason sim-missing (2)  1 StatusNoSim
//   State failed, StateFailedReason sim-error (3)         2 StatusRejected
//   State failed for another reason, State unknown (0),
//     UnlockRequired unknown (0) or missing               3 StatusNotReady
//   UnlockRequired sim-pin (2)                            4 StatusPinRequired
//   UnlockRequired sim-puk (4), UnlockRetries[4] not 0    5 StatusPukRequired
//   UnlockRequired sim-puk, UnlockRetries[4] == 0         2 StatusRejected
//   UnlockRequired sim-pin2, sim-puk2 (3, 5: they guard
//     only fixed dialling)                                0 StatusOk
//   UnlockRequired a personalisation lock (6-16)          6 StatusRejectedOther
//   UnlockRequired none (1) with a SIM object             0 StatusOk
//   UnlockRequired none, Sim "/", State disabled or up    1 StatusNoSim
//   UnlockRequired none, Sim "/", still initializing      3 StatusNotReady
//
// SIM error (SIM::SIMError) from a D-Bus reply (prefix
// org.freedesktop.ModemManager1.Error. left out):
//   a reply                                               0 NoError
//   MobileEquipment.IncorrectPassword (the card refused
//     the code), MobileEquipment.SimPuk (the refused PIN
//     was the last one)                                   7 WrongCode
//   Core.InProgress                                       8 QuietFailure
//   D-Bus NoReply, Timeout, TimedOut, Core.Aborted        3 NoReply
//   D-Bus ServiceUnknown, NameHasNoOwner, UnknownMethod,
//     UnknownObject, UnknownInterface, Disconnected       2 ServiceUnavailable
//   Core.WrongState (the card does not ask for that
//     code now), MobileEquipment.SimNotInserted,
//     .SimBusy, .SimWrong, .SimFailure, .SimPin           4 SimNotReady
//   Core.Unauthorized (polkit refused
//     org.freedesktop.ModemManager1.Device.Control),
//     anything else                                       1 OtherFailure
//
// PIN attempts: UnlockRetries[2] (sim-pin); -1 when the modem does not tell.
// PIN query state: UnlockRequired sim-pin or sim-puk -> 0 QueryEnabled (the
//   card asks, so its lock is on); otherwise Modem3gpp.EnabledFacilityLocks
//   bit sim (1) set -> 0 QueryEnabled, clear -> 1 QueryDisabled; missing
//   -> -1 QueryStateUnknown.
//
// Registration status (NetworkRegistration::Status) from
// Modem3gpp.RegistrationState:
//   home (1), home-sms-only (6), home-csfb-not-preferred (9)     0 StatusHome
//   roaming (5), roaming-sms-only (7), roaming-csfb-not-
//     preferred (10)                                            1 StatusRoaming
//   idle (0)                                                    2 StatusNoNetwork
//   searching (2)                                               3 StatusSearching
//   denied (3)                                                  5 StatusDenied
//   emergency-only (8), attached-rlos (11): limited service     7
//   unknown (4), anything else, no Modem3gpp                   -1 StatusUnknown
// Selection mode: ModemManager publishes none, so always -1 ModeUnknown.
// Reject code: ModemManager 1.20 publishes none either, so NoRejectCause (-1).
//
// System control (SystemControl::Status):
//   no modem                                             -1 StatusUnknown
//   State failed with a SIM reason (sim-missing,
//     sim-error: the modem itself works)                  0 StatusOff
//   State failed otherwise, or Enable refused by
//     ModemManager with anything but WrongState,
//     InProgress or Unauthorized                          3 StatusFailed
//   State enabled (6) or above                            1 StatusOn
//   PowerState low (2)                                    2 StatusOffline
//   otherwise (initializing, locked, disabled, enabling)  0 StatusOff
class MmMapping
{
public:
    static constexpr int NoRejectCause = -1;
    // MMModemLock values the daemon names.
    enum Lock { LockUnknown = 0, LockNone = 1, LockSimPin = 2, LockSimPuk = 4 };
    // MMModemState values the daemon names.
    enum State {
        StateFailed = -1,
        StateUnknown = 0,
        StateInitializing = 1,
        StateDisabled = 3,
        StateEnabled = 6
    };

    static int simStatus(bool modemKnown, const QVariantMap& modem);
    static int simError(const QString& dbusErrorName);
    static int pinAttempts(const QVariantMap& modem);
    static int pinQuery(const QVariantMap& modem, const QVariant& facilityLocks);
    static int registrationStatus(const QVariant& state);
    static int systemStatus(bool modemKnown, bool enableFailed, const QVariantMap& modem);

    // The D-Bus type of each property the daemon reads; empty for the rest.
    static QLatin1String propertySignature(const QString& name);
    // A plain value: UnlockRetries (a{uu}) becomes a QVariantMap of ints
    // keyed by the lock's number; a wrong type becomes an invalid QVariant.
    static QVariant normalise(const QString& name, const QVariant& value);
    static QVariantMap normalise(const QVariantMap& properties);
};

} // namespace Cellular
