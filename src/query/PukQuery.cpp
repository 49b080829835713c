#include "PukQuery.h"

#include "NewPinValidator.h"
#include "PukValidator.h"
#include "QueryManager.h"

#include <common/Vocabulary.h>
#include <platform/Trace.h>

PukQuery::PukQuery(QueryManager* manager, QObject* parent)
    : SimState(manager, parent)
{
    connect(manager, &QueryManager::statusChanged, this, &PukQuery::stateChanged, Qt::UniqueConnection);
}

PukQuery::~PukQuery()
{
    dropPukCode();
}

void PukQuery::dropPukCode()
{
    pukCode.fill(QLatin1Char('0'));
    pukCode = QString();
}

bool PukQuery::startOperation(SimState::Operation operation)
{
    KTRACE() << operation << validator;
    if (operation != CodeQueryOperation || !setOperation(CodeQueryOperation))
        return false;
    if (!validator) {
        auto* puk = new PukValidator(manager, this);
        validator = puk;
        connect(this, &PukQuery::startQuery, puk, &PukValidator::startQuery, Qt::QueuedConnection);
        connect(puk, &PukValidator::pukCode, this, &PukQuery::pukCodeEntered, Qt::QueuedConnection);
        connect(puk, &PukValidator::verifyComplete, this, &PukQuery::verifyCompleted, Qt::QueuedConnection);
    }
    connectUi();
    Q_EMIT startQuery(false);
    return true;
}

void PukQuery::stateChanged(SIMStatus::Status state)
{
    if (state == status())
        manager->setCurrentState(this);
}

void PukQuery::pukCodeEntered(const QString& code)
{
    KTRACE() << "length:" << code.size() << "validator" << validator << "tmpValidator" << tmpValidator;
    if (m_operation == NoOperation || tmpValidator)
        return;
    pukCode = code;
    tmpValidator = validator;
    auto* newPin = new NewPinValidator(manager, this);
    validator = newPin;
    connect(newPin, &NewPinValidator::newPin, this, &PukQuery::newPinEntered, Qt::QueuedConnection);
    manager->setUiTitle(qtTrId(KorvaText::NewPinTitle), true);
    manager->setUiHint(QString(), -1);
}

void PukQuery::newPinEntered(const QString& code)
{
    KTRACE() << "validator" << validator << "tmpValidator" << tmpValidator;
    if (!tmpValidator)
        return;
    // The SIM may turn ready, and end this query, before the verdict has
    // come through the validator: the note hangs on the verdict itself.
    connect(manager, &QueryManager::verifyPUKComplete, this, &PukQuery::pukVerified,
        Qt::ConnectionType(Qt::UniqueConnection | Qt::SingleShotConnection));
    manager->verifyPUK(pukCode, code);
    dropPukCode();
    delete validator;
    validator = tmpValidator;
    tmpValidator = nullptr;
    KTRACE() << "validator" << validator << "tmpValidator" << tmpValidator;
}

void PukQuery::verifyCompleted(bool success, SIMError error, int attemptsLeft)
{
    KTRACE() << success << error << attemptsLeft;
    if (m_operation == NoOperation)
        return;
    manager->checkSIMError(error);
    Q_EMIT operationComplete(status(), error);
    finishOperation();
}

void PukQuery::pukVerified(bool success, SIMError error)
{
    KTRACE() << success << error;
    if (success)
        manager->showSystemNote(qtTrId(KorvaText::PinChanged), KorvaFeedback::CellularPositive);
}

void PukQuery::finishOperation()
{
    KTRACE() << "validator" << validator << "tmpValidator" << tmpValidator;
    delete tmpValidator;
    tmpValidator = nullptr;
    dropPukCode();
    SimState::finishOperation();
}

void PukQuery::connectUi()
{
    KTRACE();
    manager->connectUi(this);
}

void PukQuery::disconnectUi()
{
    KTRACE();
    manager->disconnectUi(this);
}
