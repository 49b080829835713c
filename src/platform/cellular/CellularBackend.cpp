#include "CellularBackend.h"

#include "MmModem.h"
#include "OfonoModem.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>

namespace Cellular {

namespace {

CellularBackend::Kind choose()
{
    const QByteArray preference = qgetenv("KORVAD_CELLULAR_BACKEND").toLower();
    const CellularBackend::Kind preferred
        = preference == "modemmanager" ? CellularBackend::ModemManager : CellularBackend::Ofono;
    if (!preference.isEmpty() && preference != "modemmanager" && preference != "ofono")
        qWarning(
            "cellular: KORVAD_CELLULAR_BACKEND=%s is neither ofono nor modemmanager", preference.constData());

    const QString ofono = QString::fromLatin1(OfonoModem::Service);
    const QString mm = QString::fromLatin1(MmModem::Service);
    bool hasOfono = false;
    bool hasMm = false;
    QDBusConnectionInterface* bus = QDBusConnection::systemBus().interface();
    if (bus) {
        hasOfono = bus->isServiceRegistered(ofono).value();
        hasMm = bus->isServiceRegistered(mm).value();
        if (!hasOfono && !hasMm) {
            const QDBusReply<QStringList> activatable = bus->activatableServiceNames();
            hasOfono = activatable.value().contains(ofono);
            hasMm = activatable.value().contains(mm);
        }
    }
    const CellularBackend::Kind kind = hasOfono == hasMm ? preferred
        : hasMm                                          ? CellularBackend::ModemManager
                                                         : CellularBackend::Ofono;
    qInfo("cellular: using %s (oFono %s, ModemManager %s)",
        kind == CellularBackend::ModemManager ? "ModemManager" : "oFono", hasOfono ? "present" : "absent",
        hasMm ? "present" : "absent");
    return kind;
}

} // namespace

CellularBackend::Kind CellularBackend::current()
{
    static const Kind kind = choose();
    return kind;
}

OfonoModem* CellularBackend::ofono()
{
    return isModemManager() ? nullptr : OfonoModem::instance();
}

MmModem* CellularBackend::modemManager()
{
    return isModemManager() ? MmModem::instance() : nullptr;
}

} // namespace Cellular
