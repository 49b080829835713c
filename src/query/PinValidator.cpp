#include "PinValidator.h"

#include "QueryManager.h"

#include <common/Vocabulary.h>
#include <platform/Trace.h>

PinValidator::PinValidator(QueryManager* manager, QObject* parent)
    : CodeValidator(manager, parent)
{
    connect(manager, &QueryManager::verifyPINComplete, this, &PinValidator::verifyPINCompleted);
    connect(manager, &QueryManager::pinAttemptsLeftComplete, this, &PinValidator::pinAttemptsLeftCompleted);
}

void PinValidator::startQuery(bool enableEscape)
{
    showQuery(enableEscape, qtTrId(KorvaText::PinQueryTitle), pinAdditionalText(attemptsLeft), false);
    manager->pinAttemptsLeft();
}

void PinValidator::enterReleased(const QString& code)
{
    if (!validateMin(code))
        return;
    if (handOnly)
        Q_EMIT pinEntered(code);
    else
        manager->verifyPIN(code);
    manager->clearCode(true);
}

void PinValidator::verifyPINCompleted(bool success, SIMError error)
{
    KTRACE() << success << error << attemptsLeft;
    if (!success && error == Cellular::SIM::WrongCode)
        wrongCodePending = true;
    Q_EMIT verifyComplete(success, error, attemptsLeft);
}

void PinValidator::pinAttemptsLeftCompleted(int attempts, SIMError error)
{
    const bool knownBefore = attemptsLeft >= 0;
    const bool afterWrongPin = wrongCodePending;
    wrongCodePending = false;
    // The SIM service answers a refused PIN before it lowers its count, so a
    // count read at once can still be the old one. A refused PIN always
    // costs one try.
    if (afterWrongPin && knownBefore && error == Cellular::SIM::NoError && attempts >= attemptsLeft) {
        KTRACE() << "stale count" << attempts << "- one try fewer than" << attemptsLeft;
        attempts = attemptsLeft - 1;
    }
    KTRACE() << attempts << error;
    attemptsLeft = attempts;
    if (!manager->checkSIMError(error)) {
        Q_EMIT verifyComplete(false, error, attempts);
        return;
    }
    if (attempts == 0) {
        Q_EMIT verifyComplete(false, error, 0);
        return;
    }
    manager->setUiHint(pinAdditionalText(attempts), -1);
    if (afterWrongPin)
        showWrongPinNote(attemptsLeft);
}

void PinValidator::showWrongPinNote(int attempts)
{
    manager->setUiError(qtTrId(KorvaText::WrongPin));
    manager->setUiHint(pinAdditionalText(attempts), -1);
}
