#include "EditLine.h"

#include <QAccessibleWidget>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace Emergency {

namespace {

// What a screen reader sees of the line: a named password field with no text
// interface, so the code never leaves through the accessibility bus, even
// while the page shows it in clear.
class AccessibleEditLine : public QAccessibleWidget
{
public:
    explicit AccessibleEditLine(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::EditableText)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = true;
        s.passwordEdit = true;
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? QString() : QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("Emergency::EditLine") && object && object->isWidgetType())
        return new AccessibleEditLine(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

EditLine::EditLine(QWidget* parent)
    : QLineEdit(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    Q_UNUSED(installed)
    setAlignment(Qt::AlignCenter);
    setContextMenuPolicy(Qt::NoContextMenu);
    setDragEnabled(false);
    setAcceptDrops(false);
}

void EditLine::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    Q_EMIT gainedFocus(event->reason());
}

void EditLine::keyPressEvent(QKeyEvent* event)
{
    // Everything that edits goes through the field so the length limit and
    // the digits-only rule hold for the physical keyboard as well.
    event->ignore();
    Q_EMIT keyTyped(event);
    if (event->isAccepted())
        return;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        QLineEdit::keyPressEvent(event);
        break;
    default:
        event->ignore();
    }
}

void EditLine::inputMethodEvent(QInputMethodEvent* event)
{
    // Composed text would bypass the field's checks.
    event->accept();
}

} // namespace Emergency
