#include "EnablePinValidator.h"

#include "QueryManager.h"

#include <common/Vocabulary.h>
#include <platform/Trace.h>

EnablePinValidator::EnablePinValidator(QueryManager* manager, QObject* parent)
    : CodeValidator(manager, parent)
{
    connect(manager, &QueryManager::pinQueryStateComplete, this, &EnablePinValidator::pinQueryStateCompleted);
    connect(
        manager, &QueryManager::pinAttemptsLeftComplete, this, &EnablePinValidator::pinAttemptsLeftCompleted);
    connect(
        manager, &QueryManager::enablePINQueryComplete, this, &EnablePinValidator::enablePINQueryCompleted);
    connect(
        manager, &QueryManager::disablePINQueryComplete, this, &EnablePinValidator::enablePINQueryCompleted);
}

void EnablePinValidator::startQuery(bool enablePin)
{
    requestedState = enablePin ? SIMSecurity::QueryEnabled : SIMSecurity::QueryDisabled;
    manager->pinQueryState();
}

void EnablePinValidator::pinQueryStateCompleted(SIMSecurity::PINQuery state, SIMError error)
{
    KTRACE() << state << error << "requested:" << requestedState;
    if (!manager->checkSIMError(error)) {
        Q_EMIT enablePinComplete(false, error, state);
        return;
    }
    if (state == requestedState) {
        Q_EMIT enablePinComplete(true, error, state);
        return;
    }
    m_currentState = state;
    KTRACE() << "start change";
    showQuery(true, qtTrId(KorvaText::PinQueryTitle), QString(), false);
    manager->pinAttemptsLeft();
}

void EnablePinValidator::pinAttemptsLeftCompleted(int attempts, SIMError error)
{
    if (!manager->checkSIMError(error)) {
        Q_EMIT enablePinComplete(false, error, m_currentState);
        return;
    }
    manager->setUiHint(pinAdditionalText(attempts), -1);
}

void EnablePinValidator::enterReleased(const QString& code)
{
    if (!validateMin(code))
        return;
    if (requestedState == SIMSecurity::QueryEnabled)
        manager->enablePINQuery(code);
    else
        manager->disablePINQuery(code);
}

void EnablePinValidator::enablePINQueryCompleted(SIMError error)
{
    KTRACE() << error;
    if (manager->checkSIMError(error)) {
        Q_EMIT enablePinComplete(true, error, requestedState);
        return;
    }
    if (error == Cellular::SIM::WrongCode)
        manager->showSystemNote(qtTrId(KorvaText::WrongPin), KorvaFeedback::SimError);
    Q_EMIT enablePinComplete(false, error, m_currentState);
}
