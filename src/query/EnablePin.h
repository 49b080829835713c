#pragma once

#include "SimState.h"

// Switching the PIN query at power-up on or off on a ready SIM. It never
// ends itself: its owner deletes it on its completion.
class EnablePin : public SimState
{
    Q_OBJECT
public:
    EnablePin(QueryManager* manager, QObject* parent);

    SIMStatus::Status status() const override { return SIMStatus::StatusOk; }
    // The query state the SIM reported before the change, -1 when unknown.
    int currentState() const;

Q_SIGNALS:
    void startQuery(bool enableEscape);
    void enablePinComplete(bool success, SIMError error, SIMSecurity::PINQuery currentState);

public Q_SLOTS:
    bool startOperation(SimState::Operation operation) override;

private Q_SLOTS:
    void stateChanged(SIMStatus::Status status) override;
    void enablePinCompleted(bool success, SIMError error, SIMSecurity::PINQuery currentState);

protected:
    void connectUi() override { }
    void disconnectUi() override { }
};
