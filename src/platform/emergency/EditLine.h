#pragma once

#include <QLineEdit>

namespace Emergency {

// The code line of a code field. Typing goes through the field (digits only,
// length checked there); the line itself only shows the code and reports why
// it got the focus.
class EditLine : public QLineEdit
{
    Q_OBJECT
public:
    explicit EditLine(QWidget* parent = nullptr);

Q_SIGNALS:
    void gainedFocus(Qt::FocusReason reason);
    // Every key pressed on the line; a receiver that uses it accepts it.
    // Unused keys move the cursor at most, they never edit.
    void keyTyped(QKeyEvent* event);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
};

} // namespace Emergency
