#pragma once

#include "Dialog.h"

class QLabel;

namespace Tarn {

// A dialog whose body is one wrapped text.
class MessageBox : public Dialog
{
    Q_OBJECT
public:
    MessageBox(
        const QString& title, const QString& text, StandardButtons buttons = Ok, QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);

private:
    QLabel* m_text;
};

} // namespace Tarn
