#include "OfonoMapping.h"

#include "NetworkRegistration.h"
#include "SIMError.h"
#include "SIMSecurity.h"
#include "SIMStatus.h"

#include "../DBusShape.h"

#include <QDBusArgument>
#include <QHash>
#include <QMap>
#include <QStringList>

namespace Cellular {

using SIM::SIMSecurity;
using SIM::SIMStatus;

int OfonoMapping::simStatus(bool modemKnown, bool simInterfaceUp, const QVariantMap& sim)
{
    if (!modemKnown)
        return SIMStatus::StatusUnknown;
    if (!simInterfaceUp)
        return SIMStatus::StatusNotReady;
    const QVariant present = sim.value(QStringLiteral("Present"));
    if (present.metaType().id() != QMetaType::Bool)
        return SIMStatus::StatusNotReady;
    if (!present.toBool())
        return SIMStatus::StatusNoSim;
    const QVariant required = sim.value(QStringLiteral("PinRequired"));
    if (required.metaType().id() != QMetaType::QString)
        return SIMStatus::StatusNotReady;

    static const QHash<QString, int> table {
        { QStringLiteral("none"), SIMStatus::StatusOk },
        { QStringLiteral("pin2"), SIMStatus::StatusOk },
        { QStringLiteral("puk2"), SIMStatus::StatusOk },
        { QStringLiteral("pin"), SIMStatus::StatusPinRequired },
        { QStringLiteral("puk"), SIMStatus::StatusPukRequired },
        { QStringLiteral("phone"), SIMStatus::StatusRejectedOther },
        { QStringLiteral("firstphone"), SIMStatus::StatusRejectedOther },
        { QStringLiteral("network"), SIMStatus::StatusRejectedOther },
        { QStringLiteral("netsub"), SIMStatus::StatusRejectedOther },
        { QStringLiteral("service"), SIMStatus::StatusRejectedOther },
        { QStringLiteral("corp"), SIMStatus::StatusRejectedOther },
        { QStringLiteral("firstphonepuk"), SIMStatus::StatusRejectedOther },
        { QStringLiteral("networkpuk"), SIMStatus::StatusRejectedOther },
        { QStringLiteral("netsubpuk"), SIMStatus::StatusRejectedOther },
        { QStringLiteral("servicepuk"), SIMStatus::StatusRejectedOther },
        { QStringLiteral("corppuk"), SIMStatus::StatusRejectedOther },
    };
    const int status = table.value(required.toString(), SIMStatus::StatusNotReady);
    if (status == SIMStatus::StatusPukRequired) {
        const QVariantMap retries = sim.value(QStringLiteral("Retries")).toMap();
        const QVariant puk = retries.value(QStringLiteral("puk"));
        if (puk.isValid() && puk.toInt() == 0)
            return SIMStatus::StatusRejected;
    }
    return status;
}

int OfonoMapping::simError(const QString& name)
{
    static const QHash<QString, int> table {
        { QStringLiteral("org.ofono.Error.Failed"), SIM::WrongCode },
        { QStringLiteral("org.ofono.Error.InvalidFormat"), SIM::WrongCode },
        { QStringLiteral("org.ofono.Error.IncorrectPassword"), SIM::WrongCode },
        { QStringLiteral("org.ofono.Error.InProgress"), SIM::QuietFailure },
        { QStringLiteral("org.freedesktop.DBus.Error.NoReply"), SIM::NoReply },
        { QStringLiteral("org.freedesktop.DBus.Error.Timeout"), SIM::NoReply },
        { QStringLiteral("org.freedesktop.DBus.Error.TimedOut"), SIM::NoReply },
        { QStringLiteral("org.ofono.Error.Timedout"), SIM::NoReply },
        { QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown"), SIM::ServiceUnavailable },
        { QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"), SIM::ServiceUnavailable },
        { QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"), SIM::ServiceUnavailable },
        { QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"), SIM::ServiceUnavailable },
        { QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"), SIM::ServiceUnavailable },
        { QStringLiteral("org.freedesktop.DBus.Error.Disconnected"), SIM::ServiceUnavailable },
        { QStringLiteral("org.ofono.Error.SimNotReady"), SIM::SimNotReady },
        { QStringLiteral("org.ofono.Error.NotAvailable"), SIM::SimNotReady },
    };
    if (name.isEmpty())
        return SIM::NoError;
    return table.value(name, SIM::OtherFailure);
}

int OfonoMapping::pinAttempts(const QVariantMap& sim)
{
    const QVariant pin = sim.value(QStringLiteral("Retries")).toMap().value(QStringLiteral("pin"));
    bool ok = false;
    const int attempts = pin.toInt(&ok);
    return ok && attempts >= 0 ? attempts : -1;
}

int OfonoMapping::pinQuery(const QVariantMap& sim)
{
    const QVariant locked = sim.value(QStringLiteral("LockedPins"));
    if (locked.metaType().id() != QMetaType::QStringList)
        return SIMSecurity::QueryStateUnknown;
    return locked.toStringList().contains(QStringLiteral("pin")) ? SIMSecurity::QueryEnabled
                                                                 : SIMSecurity::QueryDisabled;
}

int OfonoMapping::registrationStatus(const QVariant& status)
{
    static const QHash<QString, int> table {
        { QStringLiteral("registered"), NetworkRegistration::StatusHome },
        { QStringLiteral("roaming"), NetworkRegistration::StatusRoaming },
        { QStringLiteral("unregistered"), NetworkRegistration::StatusNoNetwork },
        { QStringLiteral("searching"), NetworkRegistration::StatusSearching },
        { QStringLiteral("denied"), NetworkRegistration::StatusDenied },
    };
    if (status.metaType().id() != QMetaType::QString)
        return NetworkRegistration::StatusUnknown;
    return table.value(status.toString(), NetworkRegistration::StatusUnknown);
}

int OfonoMapping::registrationMode(const QVariant& mode)
{
    static const QHash<QString, int> table {
        { QStringLiteral("auto"), NetworkRegistration::ModeAutomatic },
        { QStringLiteral("manual"), NetworkRegistration::ModeManual },
        { QStringLiteral("auto-only"), NetworkRegistration::ModeAutomaticOnly },
    };
    if (mode.metaType().id() != QMetaType::QString)
        return NetworkRegistration::ModeUnknown;
    return table.value(mode.toString(), NetworkRegistration::ModeUnknown);
}

QString OfonoMapping::pinTypeName(int type)
{
    return type == SIMSecurity::PinTypePin ? QStringLiteral("pin") : QString();
}

QString OfonoMapping::pukTypeName(int type)
{
    return type == SIMSecurity::PukTypePuk ? QStringLiteral("puk") : QString();
}

QLatin1String OfonoMapping::propertySignature(const QString& name)
{
    static const QHash<QString, QLatin1String> table {
        { QStringLiteral("Powered"), QLatin1String("b") },
        { QStringLiteral("Online"), QLatin1String("b") },
        { QStringLiteral("Interfaces"), QLatin1String("as") },
        { QStringLiteral("Present"), QLatin1String("b") },
        { QStringLiteral("PinRequired"), QLatin1String("s") },
        { QStringLiteral("LockedPins"), QLatin1String("as") },
        { QStringLiteral("Retries"), QLatin1String("a{sy}") },
        { QStringLiteral("SubscriberIdentity"), QLatin1String("s") },
        { QStringLiteral("Status"), QLatin1String("s") },
        { QStringLiteral("Mode"), QLatin1String("s") },
        { QStringLiteral("EmergencyNumbers"), QLatin1String("as") },
    };
    return table.value(name);
}

QVariant OfonoMapping::normalise(const QString& name, const QVariant& value)
{
    if (!DBusShape::expectProperty(value, propertySignature(name), "oFono", name))
        return QVariant();
    if (name != QLatin1String("Retries"))
        return value;
    const QDBusArgument arg = value.value<QDBusArgument>();
    QMap<QString, uchar> retries;
    arg >> retries;
    QVariantMap plain;
    for (auto it = retries.cbegin(); it != retries.cend(); ++it)
        plain.insert(it.key(), int(it.value()));
    return plain;
}

QVariantMap OfonoMapping::normalise(const QVariantMap& properties)
{
    return DBusShape::normaliseEach(properties, &OfonoMapping::normalise);
}

} // namespace Cellular
