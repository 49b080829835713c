#pragma once

#include "CodeValidator.h"

// The PUK. It only checks the length; the PUK state sends it with the new
// PIN and this validator reads the SIM's verdict.
class PukValidator : public CodeValidator
{
    Q_OBJECT
public:
    PukValidator(QueryManager* manager, QObject* parent);

    int minLength() const override { return 4; }
    int maxLength() const override { return 8; }

Q_SIGNALS:
    void pukCode(const QString& code);
    void verifyComplete(bool success, SIMError error, int attemptsLeft = -1);

public Q_SLOTS:
    void startQuery(bool enableEscape) override;
    void enterReleased(const QString& code) override;

private Q_SLOTS:
    void verifyPUKCompleted(bool success, SIMError error);
};
