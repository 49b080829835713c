#include "ChangePin.h"

#include "NewPinValidator.h"
#include "PinValidator.h"
#include "QueryManager.h"

#include <common/Vocabulary.h>
#include <platform/Trace.h>

namespace {
void wipe(QString& code)
{
    code.fill(QLatin1Char('0'));
    code = QString();
}
} // namespace

ChangePin::ChangePin(QueryManager* manager, QObject* parent)
    : SimState(manager, parent)
{
}

ChangePin::~ChangePin()
{
    dropCodes();
}

void ChangePin::dropCodes()
{
    wipe(enteredCode);
    wipe(oldPin);
}

bool ChangePin::startOperation(SimState::Operation operation)
{
    KTRACE() << operation << validator;
    if (operation != ChangePinOperation || !setOperation(ChangePinOperation))
        return false;
    if (!validator) {
        auto* pin = new PinValidator(manager, this);
        validator = pin;
        connect(this, &ChangePin::startQuery, pin, &PinValidator::startQuery, Qt::QueuedConnection);
        connect(pin, &PinValidator::verifyComplete, this, &ChangePin::verifyCompleted, Qt::QueuedConnection);
    }
    Q_EMIT startQuery(true);
    return true;
}

void ChangePin::enterReleased(const QString& code)
{
    KTRACE() << "length:" << code.size();
    if (!validator)
        return;
    validator->enterReleased(code);
    // Only the old PIN is kept, and only until the SIM has judged it.
    if (qobject_cast<PinValidator*>(validator))
        enteredCode = code;
}

void ChangePin::verifyCompleted(bool success, SIMError error, int attemptsLeft)
{
    KTRACE() << success << error << attemptsLeft;
    delete validator;
    validator = nullptr;
    if (!success) {
        dropCodes();
        if (error == Cellular::SIM::WrongCode)
            manager->showSystemNote(qtTrId(KorvaText::WrongPin), KorvaFeedback::SimError);
        Q_EMIT changePINComplete(false, error);
        return;
    }
    oldPin = enteredCode;
    wipe(enteredCode);
    auto* newPin = new NewPinValidator(manager, this);
    validator = newPin;
    connect(this, &ChangePin::startQuery, newPin, &NewPinValidator::startQuery, Qt::QueuedConnection);
    connect(newPin, &NewPinValidator::newPin, this, &ChangePin::newPinEntered);
    Q_EMIT startQuery(true);
}

void ChangePin::newPinEntered(const QString& code)
{
    KTRACE();
    connect(manager, &QueryManager::changePINComplete, this, &ChangePin::changePinCompleted,
        Qt::UniqueConnection);
    manager->changePIN(oldPin, code);
    wipe(oldPin);
}

void ChangePin::changePinCompleted(bool success, SIMError error)
{
    KTRACE() << success << error;
    manager->checkSIMError(error);
    if (success)
        manager->showSystemNote(qtTrId(KorvaText::PinChanged), KorvaFeedback::CellularPositive);
    Q_EMIT operationComplete(status(), error);
    finishOperation();
}

void ChangePin::finishOperation()
{
    disconnect(manager, &QueryManager::changePINComplete, this, &ChangePin::changePinCompleted);
    dropCodes();
    SimState::finishOperation();
}
