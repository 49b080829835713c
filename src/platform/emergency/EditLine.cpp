#include "EditLine.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace Emergency {

EditLine::EditLine(QWidget* parent)
    : QLineEdit(parent)
{
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
