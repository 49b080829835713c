#pragma once

#include "SimState.h"

// Every SIM status that needs no code while the card is not usable
// (unknown, no card, rejected, not ready). No operation runs here.
class IdleState : public SimState
{
    Q_OBJECT
public:
    IdleState(QueryManager* manager, QObject* parent);

    bool startOperation(SimState::Operation operation) override;
    SIMStatus::Status status() const override { return m_status; }

Q_SIGNALS:
    void operationComplete(SIMStatus::Status status, SIMError error);

public Q_SLOTS:
    void stateChanged(SIMStatus::Status state) override;
    void enterReleased(const QString&) override { }
    void maxLengthExeeded() override { }

protected:
    void connectUi() override;
    void disconnectUi() override;

private:
    SIMStatus::Status m_status = SIMStatus::StatusUnknown;
};
