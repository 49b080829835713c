#include "PinQuery.h"

#include "PinValidator.h"
#include "QueryManager.h"

#include <platform/Trace.h>

PinQuery::PinQuery(QueryManager* manager, QObject* parent)
    : SimState(manager, parent)
{
    connect(manager, &QueryManager::statusChanged, this, &PinQuery::stateChanged, Qt::UniqueConnection);
}

bool PinQuery::startOperation(SimState::Operation operation)
{
    KTRACE() << operation << validator << "running:" << m_operation;
    if (operation != CodeQueryOperation || !setOperation(CodeQueryOperation))
        return false;
    if (!validator) {
        auto* pin = new PinValidator(manager, this);
        validator = pin;
        connect(this, &PinQuery::startQuery, pin, &PinValidator::startQuery, Qt::QueuedConnection);
        connect(pin, &PinValidator::verifyComplete, this, &PinQuery::verifyCompleted, Qt::QueuedConnection);
    }
    connectUi();
    Q_EMIT startQuery(false);
    return true;
}

void PinQuery::stateChanged(SIMStatus::Status state)
{
    if (state == status())
        manager->setCurrentState(this);
}

void PinQuery::verifyCompleted(bool success, SIMError error, int attemptsLeft)
{
    KTRACE() << success << error << attemptsLeft;
    if (m_operation == NoOperation)
        return; // the query ended while this was on its way
    if (!success && error == Cellular::SIM::WrongCode) {
        // The page stays; a fresh count brings the hint and the wrong-PIN text.
        manager->pinAttemptsLeft();
        return;
    }
    if (!success && error == Cellular::SIM::NoError && attemptsLeft == 0) {
        // The PIN is blocked: the SIM turns to wanting the PUK next, and that
        // state takes the query over. Never report this as a success.
        KTRACE() << "PIN blocked, waiting for the PUK status";
        return;
    }
    manager->checkSIMError(error);
    Q_EMIT operationComplete(status(), error);
    finishOperation();
}

void PinQuery::connectUi()
{
    KTRACE();
    manager->connectUi(this);
}

void PinQuery::disconnectUi()
{
    KTRACE();
    manager->disconnectUi(this);
}
