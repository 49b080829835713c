#pragma once

#include "SimState.h"

// Changing the PIN of a ready SIM: the old PIN, checked by the SIM first,
// then the new PIN twice.
class ChangePin : public SimState
{
    Q_OBJECT
public:
    ChangePin(QueryManager* manager, QObject* parent);
    ~ChangePin() override;

    SIMStatus::Status status() const override { return SIMStatus::StatusOk; }
    bool holdsCodes() const { return !enteredCode.isNull() || !oldPin.isNull(); }

Q_SIGNALS:
    void startQuery(bool enableEscape);
    void operationComplete(SIMStatus::Status status, SIMError error);
    void changePINComplete(bool status, SIMError error);

public Q_SLOTS:
    bool startOperation(SimState::Operation operation) override;
    void enterReleased(const QString& code) override;
    void finishOperation() override;
    void verifyCompleted(bool success, SIMError error, int attemptsLeft = -1);
    void changePinCompleted(bool success, SIMError error);
    void newPinEntered(const QString& code);

protected:
    void connectUi() override { }
    void disconnectUi() override { }

private:
    void dropCodes();

    QString enteredCode;
    QString oldPin;
};
