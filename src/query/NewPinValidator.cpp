#include "NewPinValidator.h"

#include "QueryManager.h"

#include <common/Vocabulary.h>
#include <platform/Trace.h>

NewPinValidator::NewPinValidator(QueryManager* manager, QObject* parent)
    : CodeValidator(manager, parent)
{
}

NewPinValidator::~NewPinValidator()
{
    dropFirstCode();
    refused.fill(QLatin1Char('0'));
}

void NewPinValidator::dropFirstCode()
{
    firstCode.fill(QLatin1Char('0'));
    firstCode = QString();
}

void NewPinValidator::startQuery(bool enableEscape)
{
    dropFirstCode();
    manager->setUiHint(QString(), -1);
    showQuery(enableEscape, qtTrId(KorvaText::NewPinTitle), QString(), false);
}

void NewPinValidator::enterReleased(const QString& code)
{
    if (!validateMin(code))
        return;
    if (firstCode.isEmpty()) {
        KTRACE() << "first entry, length:" << code.size();
        firstCode = code;
        manager->setUiTitle(qtTrId(KorvaText::ReenterNewPinTitle), true);
        manager->setUiHint(QString(), -1);
    } else if (firstCode == code && !refused.isNull() && code == refused) {
        KTRACE() << "entries match the current PIN";
        manager->setUiError(qtTrId(KorvaText::NewPinTitle));
        manager->setUiHint(QString(), -1);
        dropFirstCode();
    } else if (firstCode == code) {
        KTRACE() << "entries match";
        Q_EMIT newPin(code);
        dropFirstCode();
        manager->setUiTitle(QString(), false);
        manager->setUiHint(QString(), -1);
    } else {
        KTRACE() << "entries differ";
        manager->setUiError(qtTrId(KorvaText::NewPinTitle));
        manager->setUiHint(qtTrId(KorvaText::NewPinsDiffer), -1);
        dropFirstCode();
    }
    manager->clearCode(true);
}
