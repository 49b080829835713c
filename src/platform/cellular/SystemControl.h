#pragma once

#include <QObject>

namespace Cellular {

class MmModem;
class OfonoModem;

// The modem's system-control state, read from oFono's first modem (or
// ModemManager's: see MmMapping).
//
//   -1 StatusUnknown  oFono absent, slow to answer, or no modem yet
//    0 StatusOff      the modem is listed but not powered
//    1 StatusOn       powered and online
//    2 StatusOffline  powered, radio off (flight mode)
//    3 StatusFailed   the modem refused to power up
//
// Any number of objects may exist; they share one oFono connection.
class SystemControl : public QObject
{
    Q_OBJECT
public:
    enum Status { StatusUnknown = -1, StatusOff = 0, StatusOn = 1, StatusOffline = 2, StatusFailed = 3 };
    Q_ENUM(Status)

    explicit SystemControl(QObject* parent = nullptr);

    int status() const;

Q_SIGNALS:
    void statusChanged(int status);

private:
    void update();

    OfonoModem* m_modem; // null when ModemManager runs
    MmModem* m_mm; // null when oFono runs
    int m_status;
};

} // namespace Cellular
