#pragma once

#include <platform/tarn/StylableWidget.h>

#include <QString>

class QPushButton;

namespace Emergency {
class CodeField;
class Keypad;
}

// The content of the code page: the code field with its title and hint
// lines, the keypad whose bottom-left key calls for help and whose
// bottom-right key is OK, and a cancel button.
class PinUiWidget : public Tarn::StylableWidget
{
    Q_OBJECT
public:
    explicit PinUiWidget(QWidget* parent = nullptr);
    ~PinUiWidget() override;

    virtual void createContent();
    void setEmergencyMode(bool active, bool reset);
    QString text() const;
    bool isMasked() const { return masked; }

    QPushButton* emergencyButton() const { return emergencyKey; }
    QPushButton* okButton() const { return okKey; }
    QPushButton* cancelButton() const { return cancelKey; }
    Emergency::CodeField* codeField() const { return field; }
    Emergency::Keypad* keypadWidget() const { return keypad; }

public Q_SLOTS:
    void removeText();
    void setTitleText(const QString& text);
    void setHintText(const QString& text);
    void setErrorText(const QString& error);
    void setMaxLen(int max);
    void resetMode();
    void maskCode(bool mask);

Q_SIGNALS:
    void enterReleased();
    void cancelReleased();
    void maxLengthExeeded();
    void textChanged(const QString& text);
    void uiClicked();

protected:
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    virtual void retranslateUi();

private Q_SLOTS:
    void fieldFocusGained(Qt::FocusReason reason);

private:
    void setFieldMode(int mode, bool flag);

    Emergency::CodeField* field = nullptr;
    Emergency::Keypad* keypad = nullptr;
    QPushButton* cancelKey = nullptr;
    QPushButton* okKey = nullptr;
    QPushButton* emergencyKey = nullptr;
    bool masked = true;
};
