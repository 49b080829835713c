#pragma once

#include <QObject>

namespace Cellular {

class MmModem;
class OfonoModem;

// Registration status and selection mode of the followed modem, from oFono's
// NetworkRegistration (numbers: see OfonoMapping) or ModemManager's Modem3gpp
// (MmMapping: no selection mode there). oFono tells no reject
// cause, so every report carries OfonoMapping::NoRejectCause.
// Reads are synchronous from the shared connection; signals come on change.
class NetworkRegistration : public QObject
{
    Q_OBJECT
public:
    enum Status {
        StatusUnknown = -1,
        StatusHome = 0,
        StatusRoaming = 1,
        StatusNoNetwork = 2,
        StatusSearching = 3,
        StatusDenied = 5
    };
    Q_ENUM(Status)
    enum Mode { ModeUnknown = -1, ModeAutomatic = 0, ModeManual = 1, ModeAutomaticOnly = 2 };
    Q_ENUM(Mode)

    explicit NetworkRegistration(QObject* parent = nullptr);

    int mode() const;
    int status() const;

Q_SIGNALS:
    void modeChanged(int mode);
    void statusWithRejectCodeChanged(int status, int rejectCode);

private:
    void update();

    OfonoModem* m_modem; // null when ModemManager runs
    MmModem* m_mm; // null when oFono runs
    int m_mode;
    int m_status;
};

} // namespace Cellular
