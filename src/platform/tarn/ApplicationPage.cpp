#include "ApplicationPage.h"

#include "../Trace.h"
#include "ApplicationWindow.h"
#include "Icon.h"
#include "StylableWidget.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace Tarn {

ApplicationPage::ApplicationPage(QWidget* parent)
    : QWidget(parent)
    , m_header(new StylableWidget(QStringLiteral("TarnPageHeader"), this))
    , m_escape(new QPushButton(m_header))
    , m_layout(new QVBoxLayout(this))
{
    setAttribute(Qt::WA_StyledBackground);
    setProperty("styleName", QStringLiteral("TarnPage"));
    m_header->setObjectName(QStringLiteral("pageHeader"));
    m_escape->setObjectName(QStringLiteral("escapeButton"));
    StylableWidget::setStyleName(m_escape, QStringLiteral("TarnEscapeButton"));
    m_escape->setIconSize(QSize(40, 40));
    updateEscapeIcon();
    m_escape->setFocusPolicy(Qt::NoFocus);
    connect(m_escape, &QPushButton::clicked, this, &ApplicationPage::escape);

    auto* header = new QHBoxLayout(m_header);
    header->setContentsMargins(8, 0, 8, 0);
    header->addWidget(m_escape);
    header->addStretch(1);

    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addWidget(m_header);
    for (Component c : { HomeButton, NavigationBar, EscapeButton })
        m_modes.insert(c, Show);
}

void ApplicationPage::setCentralWidget(QWidget* widget)
{
    if (m_central == widget)
        return;
    if (widget && parentWidget() == widget) {
        // Created as the content's child: leave it before taking it in.
        setParent(nullptr);
    }
    delete m_central;
    m_central = widget;
    if (widget) {
        widget->setParent(this);
        m_layout->addWidget(widget, 1);
        widget->show();
    }
}

void ApplicationPage::setComponentsDisplayMode(Components components, DisplayMode mode)
{
    for (Component c : { HomeButton, NavigationBar, EscapeButton })
        if (components.testFlag(c))
            m_modes.insert(c, mode);
    // The header holds the escape button only; it goes when that goes.
    m_header->setVisible(m_modes.value(EscapeButton) != Hide);
}

ApplicationPage::DisplayMode ApplicationPage::componentDisplayMode(Component component) const
{
    return m_modes.value(component, Show);
}

void ApplicationPage::appear(ApplicationWindow* window, DeletionPolicy policy)
{
    m_policy = policy;
    if (window)
        window->setPage(this);
    show();
    Q_EMIT appeared();
}

void ApplicationPage::disappear()
{
    hide();
    Q_EMIT disappeared();
    if (m_policy != KeepWhenDone)
        deleteLater();
}

void ApplicationPage::updateEscapeIcon()
{
    // The theme's arrow, not the widget style's, pointing back in either
    // writing direction; icon only, so it needs a name for screen readers.
    m_escape->setIcon(Icon::fromName(QStringLiteral("icon-m-toolbar-back"), layoutDirection()));
    const QString back = qtTrId("qtn_comm_back");
    m_escape->setAccessibleName(back == QLatin1String("qtn_comm_back") ? QStringLiteral("Back") : back);
}

void ApplicationPage::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LayoutDirectionChange || event->type() == QEvent::LanguageChange)
        updateEscapeIcon();
    QWidget::changeEvent(event);
}

void ApplicationPage::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        // A page that hides its escape button cannot be escaped by key either.
        if (m_modes.value(EscapeButton) != Hide)
            escape();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ApplicationPage::escape()
{
    KTRACE() << m_escapeMode;
    switch (m_escapeMode) {
    case EscapeManualBack:
        Q_EMIT backButtonClicked();
        break;
    case EscapeCloseWindow:
        if (QWidget* w = window(); w && w != this)
            w->close();
        break;
    case EscapeAuto:
        Q_EMIT backButtonClicked();
        disappear();
        break;
    }
}

} // namespace Tarn
