#pragma once

#include "CodeValidator.h"

// The PIN: at boot, and the old PIN of a change. Keeps the attempts hint
// current and shows the wrong-PIN text after a refused code.
class PinValidator : public CodeValidator
{
    Q_OBJECT
public:
    PinValidator(QueryManager* manager, QObject* parent);

    int minLength() const override { return 4; }
    int maxLength() const override { return 8; }
    // The old PIN of a change goes to the card only inside the change: a
    // PIN of a valid length is handed on with pinEntered, never verified.
    void setHandOn(bool handOn) { handOnly = handOn; }

Q_SIGNALS:
    void verifyComplete(bool success, SIMError error, int attemptsLeft = -1);
    void pinEntered(const QString& code);

public Q_SLOTS:
    void startQuery(bool enableEscape) override;
    void enterReleased(const QString& code) override;

private Q_SLOTS:
    void verifyPINCompleted(bool success, SIMError error);
    void pinAttemptsLeftCompleted(int attempts, SIMError error);

private:
    void showWrongPinNote(int attempts);

    // A refused PIN whose lowered count has not been read yet.
    bool wrongCodePending = false;
    bool handOnly = false;
};
