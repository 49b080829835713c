#include "EnablePin.h"

#include "EnablePinValidator.h"
#include "QueryManager.h"

#include <platform/Trace.h>

EnablePin::EnablePin(QueryManager* manager, QObject* parent)
    : SimState(manager, parent)
{
}

int EnablePin::currentState() const
{
    auto* enable = qobject_cast<EnablePinValidator*>(validator);
    return enable ? enable->currentState() : SIMSecurity::QueryStateUnknown;
}

bool EnablePin::startOperation(SimState::Operation operation)
{
    KTRACE() << operation << validator;
    if (!setOperation(operation))
        return false;
    if (!validator) {
        auto* enable = new EnablePinValidator(manager, this);
        validator = enable;
        connect(this, &EnablePin::startQuery, enable, &EnablePinValidator::startQuery, Qt::QueuedConnection);
        connect(enable, &EnablePinValidator::enablePinComplete, this, &EnablePin::enablePinCompleted,
            Qt::QueuedConnection);
    }
    Q_EMIT startQuery(operation == EnableQueryOperation);
    return true;
}

void EnablePin::stateChanged(SIMStatus::Status status)
{
    KTRACE() << status;
}

void EnablePin::enablePinCompleted(bool success, SIMError error, SIMSecurity::PINQuery currentState)
{
    KTRACE() << success << error << currentState;
    delete validator;
    validator = nullptr;
    Q_EMIT enablePinComplete(success, error, currentState);
}
