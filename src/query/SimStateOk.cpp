#include "SimStateOk.h"

#include "ChangePin.h"
#include "EnablePin.h"
#include "QueryManager.h"

#include <platform/Trace.h>

SimStateOk::SimStateOk(QueryManager* manager, QObject* parent)
    : SimState(manager, parent)
{
    connect(manager, &QueryManager::statusChanged, this, &SimStateOk::stateChanged, Qt::UniqueConnection);
}

bool SimStateOk::startOperation(SimState::Operation operation)
{
    KTRACE() << operation << subState;
    if (subState) {
        KTRACE() << "Already operating, re-raise window for:" << subState;
        manager->appearUi();
        // A switch of the query is answered: refused, while another runs.
        return operation != EnableQueryOperation && operation != DisableQueryOperation;
    }
    if (operation == ChangePinOperation) {
        auto* change = new ChangePin(manager, this);
        subState = change;
        connect(manager, &QueryManager::changePINComplete, this, &SimStateOk::changePinCompleted,
            Qt::QueuedConnection);
        connect(change, &ChangePin::changePINComplete, this, &SimStateOk::changePinCompleted,
            Qt::QueuedConnection);
        connect(change, &ChangePin::operationComplete, this, &SimStateOk::operationComplete);
    } else if (operation == EnableQueryOperation || operation == DisableQueryOperation) {
        auto* enable = new EnablePin(manager, this);
        subState = enable;
        connect(enable, &EnablePin::enablePinComplete, this, &SimStateOk::enablePinCompleted,
            Qt::QueuedConnection);
    }
    KTRACE() << "subState:" << subState;
    if (!subState)
        return false;
    m_operation = operation;
    connect(this, &SimStateOk::doStartOperation, subState, &SimState::startOperation, Qt::QueuedConnection);
    connectUi();
    Q_EMIT doStartOperation(operation);
    return true;
}

void SimStateOk::stateChanged(SIMStatus::Status state)
{
    if (state == status())
        manager->setCurrentState(this);
}

void SimStateOk::enterReleased(const QString& code)
{
    if (subState)
        subState->enterReleased(code);
}

void SimStateOk::maxLengthExeeded()
{
    if (subState)
        subState->maxLengthExeeded();
}

void SimStateOk::changePinCompleted(bool success, SIMError error)
{
    KTRACE() << success << error;
    if (!subState)
        return; // the change was cut short already
    Q_EMIT operationComplete(status(), error);
    finishOperation();
}

void SimStateOk::enablePinCompleted(bool success, SIMError error, SIMSecurity::PINQuery currentState)
{
    KTRACE() << success << error << "currentState:" << currentState;
    if (!subState)
        return;
    delete subState;
    subState = nullptr;
    Q_EMIT enablePinComplete(currentState);
    Q_EMIT operationComplete(status(), error);
    finishOperation();
}

void SimStateOk::finishOperation()
{
    KTRACE() << subState;
    if (subState) {
        const int op = subState->operation();
        if (op == EnableQueryOperation || op == DisableQueryOperation) {
            auto* enable = static_cast<EnablePin*>(subState);
            Q_EMIT enablePinComplete(SIMSecurity::PINQuery(enable->currentState()));
        }
        // Its own completion must not come back once it is gone.
        disconnect(manager, &QueryManager::changePINComplete, this, &SimStateOk::changePinCompleted);
        subState->finishOperation();
        delete subState;
    }
    subState = nullptr;
    SimState::finishOperation();
}

void SimStateOk::connectUi()
{
    KTRACE();
    manager->connectUi(this);
}

void SimStateOk::disconnectUi()
{
    KTRACE();
    manager->disconnectUi(this);
}
