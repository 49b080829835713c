#include "CellularIf.h"

#include <platform/Trace.h>

CellularIf::CellularIf(QObject* parent)
    : QObject(parent)
{
    KTRACE();
    simSecurity = new SIMSecurity(this);
    connect(simSecurity, &SIMSecurity::verifyPINComplete, this, &CellularIf::verifyPINComplete,
        Qt::QueuedConnection);
    connect(simSecurity, &SIMSecurity::verifyPUKComplete, this, &CellularIf::verifyPUKComplete,
        Qt::QueuedConnection);
    connect(simSecurity, &SIMSecurity::pinAttemptsLeftComplete, this, &CellularIf::pinAttemptsLeftComplete,
        Qt::QueuedConnection);
    connect(simSecurity, &SIMSecurity::changePINComplete, this, &CellularIf::changePINComplete,
        Qt::QueuedConnection);
    connect(simSecurity, &SIMSecurity::pinQueryStateComplete, this, &CellularIf::pinQueryStateComplete,
        Qt::QueuedConnection);
    connect(simSecurity, &SIMSecurity::enablePINQueryComplete, this, &CellularIf::enablePINQueryComplete,
        Qt::QueuedConnection);
    connect(simSecurity, &SIMSecurity::disablePINQueryComplete, this, &CellularIf::disablePINQueryComplete,
        Qt::QueuedConnection);

    simStatusSource = new SIMStatus(this);
    connect(
        simStatusSource, &SIMStatus::statusComplete, this, &CellularIf::statusComplete, Qt::QueuedConnection);
    connect(
        simStatusSource, &SIMStatus::statusChanged, this, &CellularIf::statusChanged, Qt::QueuedConnection);
}

CellularIf::~CellularIf()
{
    KTRACE();
}

void CellularIf::simStatus()
{
    KTRACE();
    simStatusSource->status();
}

void CellularIf::verifyPIN(const QString& pin)
{
    KTRACE() << "length:" << pin.size();
    simSecurity->verifyPIN(SIMSecurity::PinTypePin, pin);
}

void CellularIf::verifyPUK(const QString& puk, const QString& newPin)
{
    KTRACE() << "lengths:" << puk.size() << newPin.size();
    simSecurity->verifyPUK(SIMSecurity::PukTypePuk, puk, newPin);
}

void CellularIf::changePIN(const QString& oldPin, const QString& newPin)
{
    KTRACE() << "lengths:" << oldPin.size() << newPin.size();
    simSecurity->changePIN(SIMSecurity::PinTypePin, oldPin, newPin);
}

void CellularIf::enablePINQuery(const QString& pin)
{
    KTRACE() << "length:" << pin.size();
    simSecurity->enablePINQuery(SIMSecurity::PinTypePin, pin);
}

void CellularIf::disablePINQuery(const QString& pin)
{
    KTRACE() << "length:" << pin.size();
    simSecurity->disablePINQuery(SIMSecurity::PinTypePin, pin);
}

void CellularIf::pinAttemptsLeft()
{
    KTRACE();
    simSecurity->pinAttemptsLeft(SIMSecurity::PinTypePin);
}

void CellularIf::pinQueryState()
{
    KTRACE();
    simSecurity->pinQueryState(SIMSecurity::PinTypePin);
}
