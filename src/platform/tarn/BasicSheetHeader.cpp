#include "BasicSheetHeader.h"

#include "StylableWidget.h"

#include <QAction>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>

namespace Tarn {

BasicSheetHeader::BasicSheetHeader(QWidget* parent)
    : QWidget(parent)
    , m_negativeButton(new QPushButton(this))
    , m_positiveButton(new QPushButton(this))
{
    setAttribute(Qt::WA_StyledBackground);
    setProperty("styleName", QString());
    m_negativeButton->setObjectName(QStringLiteral("negativeButton"));
    m_positiveButton->setObjectName(QStringLiteral("positiveButton"));
    for (QPushButton* button : { m_negativeButton, m_positiveButton }) {
        // Tapped, never tabbed to: the keyboard stays in the sheet's fields.
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
        button->hide();
    }
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(m_negativeButton);
    layout->addStretch(1);
    layout->addWidget(m_positiveButton);
}

QString BasicSheetHeader::styleName() const
{
    return StylableWidget::styleName(this);
}

void BasicSheetHeader::setStyleName(const QString& name)
{
    StylableWidget::setStyleName(this, name);
    for (QPushButton* button : { m_negativeButton, m_positiveButton }) {
        button->style()->unpolish(button);
        button->style()->polish(button);
    }
}

void BasicSheetHeader::setPositiveAction(QAction* action)
{
    bind(m_positive, action, m_positiveButton);
}

void BasicSheetHeader::setNegativeAction(QAction* action)
{
    bind(m_negative, action, m_negativeButton);
}

void BasicSheetHeader::bind(QPointer<QAction>& slot, QAction* action, QPushButton* button)
{
    if (slot)
        slot->disconnect(button);
    button->disconnect(this);
    slot = action;
    button->setVisible(action);
    if (!action)
        return;
    auto sync = [button, action] {
        button->setText(action->text());
        button->setEnabled(action->isEnabled());
    };
    sync();
    connect(action, &QAction::changed, button, sync);
    connect(action, &QObject::destroyed, button, &QWidget::hide);
    connect(button, &QPushButton::clicked, this, [action = QPointer<QAction>(action)] {
        if (action && action->isEnabled())
            action->trigger();
    });
}

} // namespace Tarn
