#pragma once

#include "SimState.h"

// The SIM is ready. Changing the PIN and switching the PIN query run here,
// each through a sub-state that lives for one operation.
class SimStateOk : public SimState
{
    Q_OBJECT
public:
    SimStateOk(QueryManager* manager, QObject* parent);

    bool startOperation(SimState::Operation operation) override;
    SIMStatus::Status status() const override { return SIMStatus::StatusOk; }
    SimState* currentSubState() const { return subState; }

Q_SIGNALS:
    void doStartOperation(SimState::Operation operation);
    void enablePinComplete(SIMSecurity::PINQuery currentState);
    void operationComplete(SIMStatus::Status status, SIMError error);

public Q_SLOTS:
    void finishOperation() override;

private Q_SLOTS:
    void stateChanged(SIMStatus::Status state) override;
    void enterReleased(const QString& code) override;
    void maxLengthExeeded() override;
    void changePinCompleted(bool success, SIMError error);
    void enablePinCompleted(bool success, SIMError error, SIMSecurity::PINQuery currentState);

protected:
    void connectUi() override;
    void disconnectUi() override;

private:
    SimState* subState = nullptr;
};
