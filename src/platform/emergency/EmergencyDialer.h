#pragma once

#include <QPointer>
#include <QWidget>

namespace Emergency {

class CallHandler;
class CodeField;
class Keypad;

// The dialer that calls emergency numbers only: a field that shows the
// digits, a keypad with a back key and a call key. It covers its parent
// and deletes itself when it is closed or its call has started.
class EmergencyDialer : public QWidget
{
    Q_OBJECT
public:
    EmergencyDialer(CallHandler* handler, QWidget* parent);

    void appear();
    CodeField* codeField() const { return m_field; }
    Keypad* keypad() const { return m_keypad; }

protected:
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void retranslate();
    void call();
    void updateCallKey(const QString& number);

    QPointer<CallHandler> m_handler;
    CodeField* m_field;
    Keypad* m_keypad;
};

} // namespace Emergency
