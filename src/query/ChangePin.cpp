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
    connect(manager, &QueryManager::pinQueryStateComplete, this, &ChangePin::pinQueryStateCompleted,
        Qt::UniqueConnection);
    manager->pinQueryState();
    return true;
}

void ChangePin::pinQueryStateCompleted(SIMSecurity::PINQuery state, SIMError error)
{
    KTRACE() << state << error;
    disconnect(manager, &QueryManager::pinQueryStateComplete, this, &ChangePin::pinQueryStateCompleted);
    if (m_operation == NoOperation || validator)
        return;
    if (!manager->checkSIMError(error)) {
        Q_EMIT changePINComplete(false, error);
        return;
    }
    if (state != SIMSecurity::QueryEnabled) {
        // Cards refuse CHANGE PIN while the PIN is disabled; asking for codes
        // first would only cost the user a try for nothing.
        KTRACE() << "PIN query off: the PIN cannot be changed";
        manager->showGeneralSimError();
        Q_EMIT changePINComplete(false, Cellular::SIM::OtherFailure);
        return;
    }
    auto* pin = new PinValidator(manager, this);
    pin->setHandOn(true);
    validator = pin;
    connect(this, &ChangePin::startQuery, pin, &PinValidator::startQuery, Qt::QueuedConnection);
    connect(pin, &PinValidator::pinEntered, this, &ChangePin::oldPinEntered, Qt::QueuedConnection);
    Q_EMIT startQuery(true);
}

void ChangePin::enterReleased(const QString& code)
{
    KTRACE() << "length:" << code.size();
    if (!validator)
        return;
    validator->enterReleased(code);
    if (qobject_cast<PinValidator*>(validator))
        enteredCode = code;
}

void ChangePin::oldPinEntered(const QString& code)
{
    KTRACE() << "length:" << code.size();
    if (!qobject_cast<PinValidator*>(validator))
        return;
    delete validator;
    oldPin = code;
    wipe(enteredCode);
    auto* newPin = new NewPinValidator(manager, this);
    // The same PIN again would not reach the card (oFono answers it at once),
    // so the old PIN would pass unchecked.
    newPin->setRefused(oldPin);
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
    // The card judged the old PIN only now.
    if (error == Cellular::SIM::WrongCode)
        manager->showSystemNote(qtTrId(KorvaText::WrongPin), KorvaFeedback::SimError);
    if (success)
        manager->showSystemNote(qtTrId(KorvaText::PinChanged), KorvaFeedback::CellularPositive);
    Q_EMIT operationComplete(status(), error);
    finishOperation();
}

void ChangePin::finishOperation()
{
    disconnect(manager, &QueryManager::changePINComplete, this, &ChangePin::changePinCompleted);
    disconnect(manager, &QueryManager::pinQueryStateComplete, this, &ChangePin::pinQueryStateCompleted);
    dropCodes();
    SimState::finishOperation();
}
