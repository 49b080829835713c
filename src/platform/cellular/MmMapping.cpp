#include "MmMapping.h"

#include "NetworkRegistration.h"
#include "SIMError.h"
#include "SIMSecurity.h"
#include "SIMStatus.h"
#include "SystemControl.h"

#include "../DBusShape.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QHash>
#include <QMap>

namespace Cellular {

using SIM::SIMSecurity;
using SIM::SIMStatus;

namespace {

constexpr int FailedSimMissing = 2;
constexpr int FailedSimError = 3;
constexpr int LimitedService = 7;

int intOf(const QVariant& value, int fallback)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    return value.isValid() && ok ? n : fallback;
}

} // namespace

int MmMapping::simStatus(bool modemKnown, const QVariantMap& modem)
{
    if (!modemKnown)
        return SIMStatus::StatusUnknown;
    const int state = intOf(modem.value(QStringLiteral("State")), StateUnknown);
    if (state == StateFailed) {
        const int reason = intOf(modem.value(QStringLiteral("StateFailedReason")), 0);
        return reason == FailedSimMissing ? SIMStatus::StatusNoSim
            : reason == FailedSimError    ? SIMStatus::StatusRejected
                                          : SIMStatus::StatusNotReady;
    }
    if (state == StateUnknown)
        return SIMStatus::StatusNotReady;
    const int lock = intOf(modem.value(QStringLiteral("UnlockRequired")), LockUnknown);
    switch (lock) {
    case LockUnknown:
        return SIMStatus::StatusNotReady;
    case LockSimPin:
        return SIMStatus::StatusPinRequired;
    case LockSimPuk: {
        const QVariant puk
            = modem.value(QStringLiteral("UnlockRetries")).toMap().value(QString::number(LockSimPuk));
        return puk.isValid() && puk.toInt() == 0 ? SIMStatus::StatusRejected : SIMStatus::StatusPukRequired;
    }
    case 3: // sim-pin2
    case 5: // sim-puk2
        return SIMStatus::StatusOk;
    case LockNone: {
        const QString sim = modem.value(QStringLiteral("Sim")).toString();
        if (!sim.isEmpty() && sim != QLatin1String("/"))
            return SIMStatus::StatusOk;
        return state >= StateDisabled ? SIMStatus::StatusNoSim : SIMStatus::StatusNotReady;
    }
    default:
        return lock <= 16 ? SIMStatus::StatusRejectedOther : SIMStatus::StatusNotReady;
    }
}

int MmMapping::simError(const QString& name)
{
    static const QString mm = QStringLiteral("org.freedesktop.ModemManager1.Error.");
    static const QHash<QString, int> table {
        { mm + QLatin1String("MobileEquipment.IncorrectPassword"), SIM::WrongCode },
        { mm + QLatin1String("MobileEquipment.SimPuk"), SIM::WrongCode },
        { mm + QLatin1String("Core.InProgress"), SIM::QuietFailure },
        { mm + QLatin1String("Core.Aborted"), SIM::NoReply },
        { QStringLiteral("org.freedesktop.DBus.Error.NoReply"), SIM::NoReply },
        { QStringLiteral("org.freedesktop.DBus.Error.Timeout"), SIM::NoReply },
        { QStringLiteral("org.freedesktop.DBus.Error.TimedOut"), SIM::NoReply },
        { QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown"), SIM::ServiceUnavailable },
        { QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"), SIM::ServiceUnavailable },
        { QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"), SIM::ServiceUnavailable },
        { QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"), SIM::ServiceUnavailable },
        { QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"), SIM::ServiceUnavailable },
        { QStringLiteral("org.freedesktop.DBus.Error.Disconnected"), SIM::ServiceUnavailable },
        { mm + QLatin1String("Core.WrongState"), SIM::SimNotReady },
        { mm + QLatin1String("MobileEquipment.SimNotInserted"), SIM::SimNotReady },
        { mm + QLatin1String("MobileEquipment.SimBusy"), SIM::SimNotReady },
        { mm + QLatin1String("MobileEquipment.SimWrong"), SIM::SimNotReady },
        { mm + QLatin1String("MobileEquipment.SimFailure"), SIM::SimNotReady },
        { mm + QLatin1String("MobileEquipment.SimPin"), SIM::SimNotReady },
    };
    if (name.isEmpty())
        return SIM::NoError;
    return table.value(name, SIM::OtherFailure);
}

int MmMapping::pinAttempts(const QVariantMap& modem)
{
    const int attempts
        = intOf(modem.value(QStringLiteral("UnlockRetries")).toMap().value(QString::number(LockSimPin)), -1);
    return attempts >= 0 ? attempts : -1;
}

int MmMapping::pinQuery(const QVariantMap& modem, const QVariant& facilityLocks)
{
    const int lock = intOf(modem.value(QStringLiteral("UnlockRequired")), LockUnknown);
    if (lock == LockSimPin || lock == LockSimPuk)
        return SIMSecurity::QueryEnabled;
    if (!facilityLocks.isValid())
        return SIMSecurity::QueryStateUnknown;
    return facilityLocks.toUInt() & 1u ? SIMSecurity::QueryEnabled : SIMSecurity::QueryDisabled;
}

int MmMapping::registrationStatus(const QVariant& state)
{
    static const QHash<int, int> table {
        { 0, NetworkRegistration::StatusNoNetwork },
        { 1, NetworkRegistration::StatusHome },
        { 2, NetworkRegistration::StatusSearching },
        { 3, NetworkRegistration::StatusDenied },
        { 5, NetworkRegistration::StatusRoaming },
        { 6, NetworkRegistration::StatusHome },
        { 7, NetworkRegistration::StatusRoaming },
        { 8, LimitedService },
        { 9, NetworkRegistration::StatusHome },
        { 10, NetworkRegistration::StatusRoaming },
        { 11, LimitedService },
    };
    return table.value(intOf(state, -1), NetworkRegistration::StatusUnknown);
}

int MmMapping::systemStatus(bool modemKnown, bool enableFailed, const QVariantMap& modem)
{
    if (!modemKnown)
        return SystemControl::StatusUnknown;
    const int state = intOf(modem.value(QStringLiteral("State")), StateUnknown);
    if (state == StateFailed) {
        const int reason = intOf(modem.value(QStringLiteral("StateFailedReason")), 0);
        return reason == FailedSimMissing || reason == FailedSimError ? SystemControl::StatusOff
                                                                      : SystemControl::StatusFailed;
    }
    if (enableFailed)
        return SystemControl::StatusFailed;
    if (state >= StateEnabled)
        return SystemControl::StatusOn;
    return intOf(modem.value(QStringLiteral("PowerState")), 0) == 2 ? SystemControl::StatusOffline
                                                                    : SystemControl::StatusOff;
}

QLatin1String MmMapping::propertySignature(const QString& name)
{
    static const QHash<QString, QLatin1String> table {
        { QStringLiteral("State"), QLatin1String("i") },
        { QStringLiteral("StateFailedReason"), QLatin1String("u") },
        { QStringLiteral("PowerState"), QLatin1String("u") },
        { QStringLiteral("UnlockRequired"), QLatin1String("u") },
        { QStringLiteral("UnlockRetries"), QLatin1String("a{uu}") },
        { QStringLiteral("Sim"), QLatin1String("o") },
        { QStringLiteral("Imsi"), QLatin1String("s") },
        { QStringLiteral("EmergencyNumbers"), QLatin1String("as") },
        { QStringLiteral("RegistrationState"), QLatin1String("u") },
        { QStringLiteral("EnabledFacilityLocks"), QLatin1String("u") },
    };
    return table.value(name);
}

QVariant MmMapping::normalise(const QString& name, const QVariant& value)
{
    if (!DBusShape::expectProperty(value, propertySignature(name), "ModemManager", name))
        return QVariant();
    if (name == QLatin1String("Sim"))
        return value.value<QDBusObjectPath>().path();
    if (name != QLatin1String("UnlockRetries"))
        return value;
    const QDBusArgument arg = value.value<QDBusArgument>();
    QMap<uint, uint> retries;
    arg >> retries;
    QVariantMap plain;
    for (auto it = retries.cbegin(); it != retries.cend(); ++it)
        plain.insert(QString::number(it.key()), int(it.value()));
    return plain;
}

QVariantMap MmMapping::normalise(const QVariantMap& properties)
{
    return DBusShape::normaliseEach(properties, &MmMapping::normalise);
}

} // namespace Cellular
