#pragma once

#include "SimState.h"

// The SIM wants its PIN: asks for it on a page without a way out until the
// SIM takes it or blocks it.
class PinQuery : public SimState
{
    Q_OBJECT
public:
    PinQuery(QueryManager* manager, QObject* parent);

    bool startOperation(SimState::Operation operation) override;
    SIMStatus::Status status() const override { return SIMStatus::StatusPinRequired; }

Q_SIGNALS:
    void startQuery(bool enableEscape);
    void operationComplete(SIMStatus::Status status, SIMError error);

public Q_SLOTS:
    void stateChanged(SIMStatus::Status state) override;
    void verifyCompleted(bool success, SIMError error, int attemptsLeft = -1);

protected:
    void connectUi() override;
    void disconnectUi() override;
};
