#pragma once

#include "CellularIf.h"

#include <QObject>

class CodeValidator;
class QueryManager;

// One state of the SIM code engine. The top-level states stand for SIM
// statuses and claim the status they stand for; only one is current in the
// query manager at a time. A state runs at most one operation and owns the
// validator that judges what the user types.
class SimState : public QObject
{
    Q_OBJECT
public:
    enum Operation {
        NoOperation = -1,
        CodeQueryOperation = 0,
        ChangePinOperation = 1,
        EnableQueryOperation = 2,
        DisableQueryOperation = 3
    };
    Q_ENUM(Operation)

    SimState(QueryManager* manager, QObject* parent);
    ~SimState() override;

    virtual bool startOperation(SimState::Operation operation) = 0;
    virtual SIMStatus::Status status() const = 0;
    virtual int operation() const { return m_operation; }
    virtual bool isCodeQuery() const;
    virtual bool emitStartResponse(bool launchMissing);

public Q_SLOTS:
    virtual void stateChanged(SIMStatus::Status state);
    virtual void finishOperation();
    virtual void enterReleased(const QString& code);
    virtual void cancelReleased();
    virtual void maxLengthExeeded();

protected:
    virtual void connectUi() = 0;
    virtual void disconnectUi() = 0;
    virtual bool setOperation(SimState::Operation operation);

    QueryManager* manager;
    CodeValidator* validator = nullptr;
    int m_operation = NoOperation;
};

// The state object that stands for `status` (see SimState.cpp).
SimState* createState(SIMStatus::Status status, QueryManager* manager, QObject* parent);
