#include "IdleState.h"

#include "QueryManager.h"

#include <platform/Trace.h>

IdleState::IdleState(QueryManager* manager, QObject* parent)
    : SimState(manager, parent)
{
    connect(manager, &QueryManager::statusChanged, this, &IdleState::stateChanged, Qt::UniqueConnection);
}

bool IdleState::startOperation(SimState::Operation operation)
{
    KTRACE() << operation << "status:" << m_status;
    Q_EMIT operationComplete(m_status, Cellular::SIM::OperationNotPossible);
    return false;
}

void IdleState::stateChanged(SIMStatus::Status state)
{
    switch (state) {
    case SIMStatus::StatusUnknown:
    case SIMStatus::StatusNoSim:
    case SIMStatus::StatusRejected:
    case SIMStatus::StatusNotReady:
    case SIMStatus::StatusRejectedOther:
        KTRACE() << "current:" << m_status << "new:" << state;
        m_status = state;
        manager->setCurrentState(this);
        break;
    case SIMStatus::StatusOk:
    case SIMStatus::StatusPinRequired:
    case SIMStatus::StatusPukRequired:
        m_status = SIMStatus::StatusUnknown;
        break;
    default:
        // A value no state stands for leaves the current state as it is.
        KTRACE() << "ignored:" << state;
        m_status = SIMStatus::StatusUnknown;
        break;
    }
}

void IdleState::connectUi()
{
    KTRACE();
    manager->connectUi(this);
}

void IdleState::disconnectUi()
{
    KTRACE();
    manager->disconnectUi(this);
}
