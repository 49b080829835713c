#pragma once

#include <platform/tarn/Sheet.h>

namespace Tarn {
class TextEdit;
}

// Asks for the PIN that protects a received settings message.
class ProvisioningPinSheet : public Tarn::Sheet
{
    Q_OBJECT
public:
    ProvisioningPinSheet();
    ~ProvisioningPinSheet() override;

    // What the user typed, every digit as a Latin digit.
    QString pinCode() const;

Q_SIGNALS:
    void accepted();
    void rejected();

private Q_SLOTS:
    void focusEdit();
    void numberChanged();

private:
    void setLayout();

    Tarn::TextEdit* m_edit = nullptr;
};
