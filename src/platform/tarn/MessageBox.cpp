#include "MessageBox.h"

#include <QLabel>

namespace Tarn {

MessageBox::MessageBox(const QString& title, const QString& text, StandardButtons buttons, QWidget* parent)
    : Dialog(title, buttons, parent)
    , m_text(new QLabel)
{
    m_text->setObjectName(QStringLiteral("messageBoxText"));
    m_text->setProperty("styleName", QStringLiteral("TarnMessageBoxText"));
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignHCenter);
    setCentralWidget(m_text);
    setText(text);
}

QString MessageBox::text() const
{
    return m_text->text();
}

void MessageBox::setText(const QString& text)
{
    m_text->setText(text);
    // A screen reader reads the question with the window's title.
    setAccessibleDescription(text);
}

} // namespace Tarn
