#pragma once

#include "SIMError.h"

#include <QObject>

class QDBusMessage;
class QDBusPendingCall;

namespace Cellular {

class MmModem;
class OfonoModem;

namespace SIM {

// PIN and PUK operations on the followed modem's SIM, over oFono's
// SimManager or ModemManager's Sim (see CellularBackend). Every call returns at once and is answered by
// exactly one completion signal, emitted from the event loop, also when oFono is missing, leaves the bus or
// does not answer within OfonoModem::CallTimeoutMs. Codes are never logged, only their lengths.
//
// Attempts and query state are read fresh from oFono (not from the shared
// cache): oFono answers a refused code before it signals the lowered
// Retries, so a cached count could be one try behind.
class SIMSecurity : public QObject
{
    Q_OBJECT
public:
    enum PINType { PinTypePin = 0 };
    Q_ENUM(PINType)
    enum PUKType { PukTypePuk = 0 };
    Q_ENUM(PUKType)
    enum PINQuery { QueryStateUnknown = -1, QueryEnabled = 0, QueryDisabled = 1 };
    Q_ENUM(PINQuery)

    // Longest wait, after ModemManager refused a code, for the lowered tries.
    static constexpr int RetriesSettleMs = 3000;

    explicit SIMSecurity(QObject* parent = nullptr);

    void verifyPIN(SIMSecurity::PINType type, const QString& pin);
    void verifyPUK(SIMSecurity::PUKType type, const QString& puk, const QString& newPin);
    void changePIN(SIMSecurity::PINType type, const QString& oldPin, const QString& newPin);
    void enablePINQuery(SIMSecurity::PINType type, const QString& pin);
    void disablePINQuery(SIMSecurity::PINType type, const QString& pin);
    void pinAttemptsLeft(SIMSecurity::PINType type);
    void pinQueryState(SIMSecurity::PINType type);

Q_SIGNALS:
    void verifyPINComplete(bool success, SIMError error);
    void verifyPUKComplete(bool success, SIMError error);
    void pinAttemptsLeftComplete(int attempts, SIMError error);
    void changePINComplete(bool success, SIMError error);
    void pinQueryStateComplete(SIMSecurity::PINQuery state, SIMError error);
    void enablePINQueryComplete(SIMError error);
    void disablePINQueryComplete(SIMError error);

private:
    template <typename Done> void watch(const QDBusPendingCall& call, Done done);
    // Runs `then` once `ready` holds after a change of ModemManager's view,
    // or when `timeoutMs` passed.
    template <typename Ready, typename Then> void whenModemManager(Ready ready, int timeoutMs, Then then);
    void mmPinQueryState(int type);
    QDBusPendingCall codeCall(const QString& method, bool typeValid, const QVariantList& args);
    void lockCall(int type, const QString& pin, bool lock);
    void enterPin(const QString& name, const QString& pin);

    OfonoModem* m_modem; // null when ModemManager runs
    MmModem* m_mm; // null when oFono runs
    // Query-state requests answered by the read already on its way: a flood
    // of requests costs one oFono call at a time, and each still gets its
    // own completion.
    int m_pinQueryStateWaiters = 0;
};

} // namespace SIM
} // namespace Cellular
