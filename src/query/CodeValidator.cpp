#include "CodeValidator.h"

#include "QueryManager.h"

#include <common/Vocabulary.h>
#include <platform/Trace.h>

CodeValidator::CodeValidator(QueryManager* manager, QObject* parent)
    : QObject(parent)
    , manager(manager)
{
}

QString CodeValidator::pinAdditionalText(int attempts) const
{
    if (attempts == 1)
        return qtTrId(KorvaText::PinOneAttemptLeft);
    if (attempts == 2)
        return qtTrId(KorvaText::PinTwoAttemptsLeft);
    return QString();
}

void CodeValidator::codeChanged(const QString& code)
{
    KTRACE() << "length:" << code.size();
}

void CodeValidator::cancelReleased()
{
    KTRACE();
}

void CodeValidator::maxLengthExeeded()
{
    manager->emitNGFEvent(KorvaFeedback::WarningTacticon);
}

void CodeValidator::showQuery(bool enableEscape, const QString& title, const QString& hint, bool titleAsError)
{
    manager->createUi(title, hint, enableEscape, titleAsError);
    manager->setMaxLen(maxLength());
}

bool CodeValidator::validateMin(const QString& code)
{
    if (minLength() <= code.size())
        return true;
    manager->setUiHint(qtTrId(KorvaText::CodeTooShort), HintTimeoutMs);
    return false;
}
