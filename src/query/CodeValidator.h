#pragma once

#include "CellularIf.h"

#include <QObject>

class QueryManager;

// Judges what the user typed for one kind of code: its length, which page
// texts go with it, and what the SIM said about it. Talks to the page and
// the SIM only through the query manager; reports to its state by signals.
class CodeValidator : public QObject
{
    Q_OBJECT
public:
    static constexpr int HintTimeoutMs = 3000;

    CodeValidator(QueryManager* manager, QObject* parent);

    virtual int minLength() const = 0;
    virtual int maxLength() const = 0;
    // The attempts-left hint: only for one or two attempts.
    QString pinAdditionalText(int attempts) const;
    int attempts() const { return attemptsLeft; }

public Q_SLOTS:
    virtual void startQuery(bool enableEscape) = 0;
    virtual void codeChanged(const QString& code);
    virtual void enterReleased(const QString& code) = 0;
    virtual void cancelReleased();
    virtual void maxLengthExeeded();

protected:
    void showQuery(bool enableEscape, const QString& title, const QString& hint, bool titleAsError);
    // False (with a short-lived hint on the page) for a code that is too short.
    bool validateMin(const QString& code);

    QueryManager* manager;
    int attemptsLeft = -1;
};
