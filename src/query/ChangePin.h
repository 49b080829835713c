#pragma once

#include "SimState.h"

// Changing the PIN of a ready SIM: the old PIN, then the new PIN twice, and
// one change call in which the card judges the old PIN. Nothing else makes a
// ready card check its PIN without touching its lock, so the user learns
// whether the old PIN was right only from the change itself. A card whose PIN
// query is off refuses the change: that is looked up before any code is
// asked for.
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
    void pinQueryStateCompleted(SIMSecurity::PINQuery state, SIMError error);
    void oldPinEntered(const QString& code);
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
