#pragma once

#include <platform/cellular/SIMError.h>
#include <platform/cellular/SIMSecurity.h>
#include <platform/cellular/SIMStatus.h>

#include <QObject>

// The daemon spells the SIM types by their short names.
using Cellular::SIM::SIMError;
using Cellular::SIM::SIMSecurity;
using Cellular::SIM::SIMStatus;

// The one door of the SIM code queries to the SIM service. It always uses
// the card's own PIN and PUK, traces each call (code lengths, never codes)
// and hands every completion on through a queued connection, so an answer
// never reaches a caller that is still inside the call that caused it.
class CellularIf : public QObject
{
    Q_OBJECT
public:
    explicit CellularIf(QObject* parent = nullptr);
    ~CellularIf() override;

    void simStatus();
    void verifyPIN(const QString& pin);
    void verifyPUK(const QString& puk, const QString& newPin);
    void changePIN(const QString& oldPin, const QString& newPin);
    void enablePINQuery(const QString& pin);
    void disablePINQuery(const QString& pin);
    void pinAttemptsLeft();
    void pinQueryState();

Q_SIGNALS:
    void statusChanged(SIMStatus::Status status);
    void statusComplete(SIMStatus::Status status, SIMError error);
    void verifyPINComplete(bool success, SIMError error);
    void verifyPUKComplete(bool success, SIMError error);
    void pinAttemptsLeftComplete(int attempts, SIMError error);
    void changePINComplete(bool success, SIMError error);
    void enablePINQueryComplete(SIMError error);
    void disablePINQueryComplete(SIMError error);
    void pinQueryStateComplete(SIMSecurity::PINQuery state, SIMError error);

private:
    SIMSecurity* simSecurity;
    SIMStatus* simStatusSource;
};
