#include "StylableWidget.h"

#include <QStyle>
#include <QVariant>

namespace Tarn {

StylableWidget::StylableWidget(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_StyledBackground);
}

StylableWidget::StylableWidget(const QString& styleName, QWidget* parent)
    : StylableWidget(parent)
{
    setStyleName(styleName);
}

QString StylableWidget::styleName() const
{
    return styleName(this);
}

void StylableWidget::setStyleName(const QString& name)
{
    setStyleName(this, name);
}

void StylableWidget::setStyleName(QWidget* widget, const QString& name)
{
    if (!widget || (widget->property("styleName").isValid() && styleName(widget) == name))
        return;
    widget->setProperty("styleName", name);
    // Selectors on dynamic properties are matched again only on a new polish.
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
    widget->update();
}

QString StylableWidget::styleName(const QWidget* widget)
{
    return widget ? widget->property("styleName").toString() : QString();
}

} // namespace Tarn
