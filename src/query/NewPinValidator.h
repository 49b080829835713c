#pragma once

#include "CodeValidator.h"

// A new PIN, typed twice; newPin() only when both entries match.
class NewPinValidator : public CodeValidator
{
    Q_OBJECT
public:
    NewPinValidator(QueryManager* manager, QObject* parent);
    ~NewPinValidator() override;

    int minLength() const override { return 4; }
    int maxLength() const override { return 8; }
    bool hasFirstEntry() const { return !firstCode.isEmpty(); }
    // A pair of entries equal to this code is asked for again, not handed on.
    void setRefused(const QString& code) { refused = code; }

Q_SIGNALS:
    void newPin(const QString& code);

public Q_SLOTS:
    void startQuery(bool enableEscape) override;
    void enterReleased(const QString& code) override;

private:
    void dropFirstCode();

    QString firstCode;
    QString refused;
};
