#include "TextEdit.h"

#include "StylableWidget.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace Tarn {

TextEdit::TextEdit(ContentType type, const QString& text, QWidget* parent)
    : QLineEdit(text, parent)
{
    setContentType(type);
}

TextEdit::~TextEdit()
{
    if (echoMode() != Normal)
        wipe();
}

void TextEdit::setContentType(ContentType type)
{
    m_contentType = type;
    delete validator();
    if (type == NumberContentType) {
        // \d with Unicode properties: the digits of every script.
        setValidator(new QRegularExpressionValidator(
            QRegularExpression(QRegularExpression::anchoredPattern(QStringLiteral("\\d*")),
                QRegularExpression::UseUnicodePropertiesOption),
            this));
        setInputMethodHints(Qt::ImhDigitsOnly);
    } else {
        setValidator(nullptr);
        setInputMethodHints(Qt::ImhNone);
    }
}

QString TextEdit::styleName() const
{
    return StylableWidget::styleName(this);
}

void TextEdit::setStyleName(const QString& name)
{
    StylableWidget::setStyleName(this, name);
}

void TextEdit::wipe()
{
    QString held = text();
    clear();
    // The field no longer shares the buffer, so this writes over the
    // characters in place instead of detaching a copy.
    if (held.isDetached())
        held.fill(QChar(0));
}

} // namespace Tarn
