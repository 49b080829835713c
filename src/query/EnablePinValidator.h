#pragma once

#include "CodeValidator.h"

// Switches the PIN query at power-up on or off. Asks for the PIN only when
// the SIM is not already as requested.
class EnablePinValidator : public CodeValidator
{
    Q_OBJECT
public:
    EnablePinValidator(QueryManager* manager, QObject* parent);

    int minLength() const override { return 4; }
    int maxLength() const override { return 8; }
    // What the SIM reported before the change; unknown until a change is needed.
    SIMSecurity::PINQuery currentState() const { return m_currentState; }

Q_SIGNALS:
    void enablePinComplete(bool success, SIMError error, SIMSecurity::PINQuery state);

public Q_SLOTS:
    void startQuery(bool enablePin) override;
    void enterReleased(const QString& code) override;

private Q_SLOTS:
    void pinQueryStateCompleted(SIMSecurity::PINQuery state, SIMError error);
    void pinAttemptsLeftCompleted(int attempts, SIMError error);
    void enablePINQueryCompleted(SIMError error);

private:
    SIMSecurity::PINQuery requestedState = SIMSecurity::QueryStateUnknown;
    SIMSecurity::PINQuery m_currentState = SIMSecurity::QueryStateUnknown;
};
