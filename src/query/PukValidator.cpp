#include "PukValidator.h"

#include "QueryManager.h"

#include <common/Vocabulary.h>
#include <platform/Trace.h>

PukValidator::PukValidator(QueryManager* manager, QObject* parent)
    : CodeValidator(manager, parent)
{
    connect(manager, &QueryManager::verifyPUKComplete, this, &PukValidator::verifyPUKCompleted);
}

void PukValidator::startQuery(bool enableEscape)
{
    showQuery(enableEscape, qtTrId(KorvaText::PukQueryTitle), QString(), true);
    manager->emitNGFEvent(KorvaFeedback::WarningTacticon);
}

void PukValidator::enterReleased(const QString& code)
{
    if (!validateMin(code))
        return;
    Q_EMIT pukCode(code);
    manager->clearCode(true);
}

void PukValidator::verifyPUKCompleted(bool success, SIMError error)
{
    KTRACE() << success << error;
    if (error == Cellular::SIM::WrongCode) {
        manager->setUiError(qtTrId(KorvaText::PukQueryTitle));
        manager->setUiHint(qtTrId(KorvaText::WrongPuk), -1);
        return;
    }
    Q_EMIT verifyComplete(success, error, -1);
}
