#pragma once

#include "SimState.h"

// The PIN is blocked: asks for the PUK, then for a new PIN twice, and sends
// both to the SIM in one call.
class PukQuery : public SimState
{
    Q_OBJECT
public:
    PukQuery(QueryManager* manager, QObject* parent);
    ~PukQuery() override;

    bool startOperation(SimState::Operation operation) override;
    SIMStatus::Status status() const override { return SIMStatus::StatusPukRequired; }

Q_SIGNALS:
    void startQuery(bool enableEscape);
    void operationComplete(SIMStatus::Status status, SIMError error);

public Q_SLOTS:
    void finishOperation() override;

private Q_SLOTS:
    void stateChanged(SIMStatus::Status state) override;
    void verifyCompleted(bool success, SIMError error, int attemptsLeft = -1);
    void pukCodeEntered(const QString& code);
    void newPinEntered(const QString& code);
    void pukVerified(bool success, SIMError error);

protected:
    void connectUi() override;
    void disconnectUi() override;

private:
    void dropPukCode();

    QString pukCode;
    CodeValidator* tmpValidator = nullptr;
};
