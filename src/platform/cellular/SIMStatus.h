#pragma once

#include "SIMError.h"

#include <QObject>

namespace Cellular {

class MmModem;
class OfonoModem;

namespace SIM {

// The SIM card's state as seen through oFono's SimManager of the followed
// modem, or ModemManager's modem (OfonoMapping and MmMapping tell how their
// properties become a Status).
//
// status() answers from the shared connection's current view, always later
// from the event loop and always with NoError: oFono absent or without a
// modem is StatusUnknown, not a failure. Every object sees every change.
class SIMStatus : public QObject
{
    Q_OBJECT
public:
    enum Status {
        StatusUnknown = -1,
        StatusOk = 0,
        StatusNoSim = 1,
        StatusRejected = 2,
        StatusNotReady = 3,
        StatusPinRequired = 4,
        StatusPukRequired = 5,
        StatusRejectedOther = 6
    };
    Q_ENUM(Status)

    explicit SIMStatus(QObject* parent = nullptr);

    void status();

Q_SIGNALS:
    void statusComplete(SIMStatus::Status status, SIMError error);
    void statusChanged(SIMStatus::Status status);

private:
    void update();

    OfonoModem* m_modem; // null when ModemManager runs
    MmModem* m_mm; // null when oFono runs
    Status m_status;
};

} // namespace SIM
} // namespace Cellular
