#include "SimState.h"

#include "CodeValidator.h"
#include "IdleState.h"
#include "PinQuery.h"
#include "PukQuery.h"
#include "QueryManager.h"
#include "SimStateOk.h"

#include <platform/Trace.h>

#include <QTimer>

SimState* createState(SIMStatus::Status status, QueryManager* manager, QObject* parent)
{
    switch (status) {
    case SIMStatus::StatusOk:
        return new SimStateOk(manager, parent);
    case SIMStatus::StatusPinRequired:
        return new PinQuery(manager, parent);
    case SIMStatus::StatusPukRequired:
        return new PukQuery(manager, parent);
    default:
        return new IdleState(manager, parent);
    }
}

SimState::SimState(QueryManager* manager, QObject* parent)
    : QObject(parent)
    , manager(manager)
{
    qRegisterMetaType<SimState::Operation>("SimState::Operation");
}

SimState::~SimState() = default;

bool SimState::isCodeQuery() const
{
    return status() == SIMStatus::StatusPinRequired || status() == SIMStatus::StatusPukRequired;
}

bool SimState::emitStartResponse(bool launchMissing)
{
    KTRACE() << status() << launchMissing;
    switch (status()) {
    case SIMStatus::StatusUnknown:
    case SIMStatus::StatusNotReady:
        qWarning("SIM not OK, start timer...");
        QTimer::singleShot(
            QueryManager::StartResponseTimeoutMs, manager, &QueryManager::startResponseTimeout);
        return false;
    case SIMStatus::StatusPinRequired:
    case SIMStatus::StatusPukRequired:
        if (!launchMissing)
            return false;
        KTRACE() << "Launch PIN query not received from SSC! Show general error.";
        manager->showGeneralSimError();
        manager->startResponse();
        return true;
    default:
        manager->startResponse();
        return true;
    }
}

void SimState::stateChanged(SIMStatus::Status state)
{
    KTRACE() << state;
}

void SimState::finishOperation()
{
    KTRACE() << "current:" << m_operation;
    m_operation = NoOperation;
    disconnectUi();
    delete validator;
    validator = nullptr;
}

void SimState::enterReleased(const QString& code)
{
    if (validator)
        validator->enterReleased(code);
}

void SimState::cancelReleased()
{
    if (validator)
        validator->cancelReleased();
}

void SimState::maxLengthExeeded()
{
    if (validator)
        validator->maxLengthExeeded();
}

bool SimState::setOperation(SimState::Operation operation)
{
    if (m_operation != NoOperation)
        return false;
    m_operation = operation;
    return true;
}
