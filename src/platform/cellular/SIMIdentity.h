#pragma once

#include "SIMError.h"

#include <QObject>

namespace Cellular {

class MmModem;
class OfonoModem;

namespace SIM {

// The subscriber identity (IMSI) of the followed modem's SIM.
class SIMIdentity : public QObject
{
    Q_OBJECT
public:
    explicit SIMIdentity(QObject* parent = nullptr);

    // A card is in a modem whose SIM interface is up. The IMSI may still be
    // unreadable (card locked): imsi() then fails with SimNotReady.
    bool isValid() const;
    // Asks the modem service; exactly one imsiComplete follows, from the event loop.
    void imsi();

Q_SIGNALS:
    void imsiComplete(const QString& imsi, SIMError error);

private:
    OfonoModem* m_modem; // null when ModemManager runs
    MmModem* m_mm; // null when oFono runs
};

} // namespace SIM
} // namespace Cellular
