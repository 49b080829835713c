#include "Label.h"

#include "StylableWidget.h"

namespace Tarn {

Label::Label(const QString& text, QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setText(text);
}

QString Label::styleName() const
{
    return StylableWidget::styleName(this);
}

void Label::setStyleName(const QString& name)
{
    StylableWidget::setStyleName(this, name);
}

} // namespace Tarn
