#include "ApplicationWindow.h"

#include "ApplicationPage.h"
#include "StylableWidget.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

namespace Tarn {

ApplicationWindow::ApplicationWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_statusBar(new StylableWidget(QStringLiteral("TarnStatusBar"), this))
    , m_clock(new QLabel(m_statusBar))
    , m_menu(new QLabel(m_statusBar))
    , m_clockTimer(new QTimer(this))
    , m_content(new QWidget(this))
    , m_contentLayout(new QVBoxLayout(m_content))
{
    setAttribute(Qt::WA_StyledBackground);
    setProperty("styleName", QString());
    setWindowTitle(QCoreApplication::applicationName());
    m_statusBar->setObjectName(QStringLiteral("statusBar"));
    m_clock->setObjectName(QStringLiteral("statusBarClock"));
    m_menu->setObjectName(QStringLiteral("statusBarMenu"));
    StylableWidget::setStyleName(m_clock, QStringLiteral("TarnStatusBarClock"));
    StylableWidget::setStyleName(m_menu, QStringLiteral("TarnStatusBarMenu"));
    // The menu opener: three dots, drawn by the font.
    m_menu->setText(QStringLiteral("\u2022\u2022\u2022"));

    auto* bar = new QHBoxLayout(m_statusBar);
    bar->setContentsMargins(12, 0, 12, 0);
    bar->addWidget(m_clock);
    bar->addStretch(1);
    bar->addWidget(m_menu);

    m_contentLayout->setContentsMargins(0, 0, 0, 0);
    m_contentLayout->setSpacing(0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_statusBar);
    layout->addWidget(m_content, 1);

    // The clock only ticks while someone can see it.
    m_clockTimer->setInterval(60 * 1000);
    connect(m_clockTimer, &QTimer::timeout, this, &ApplicationWindow::updateClock);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->geometry());
}

ApplicationWindow::~ApplicationWindow()
{
    if (m_page && m_page->parentWidget() == m_content) {
        m_page->hide();
        m_page->setParent(nullptr);
    }
}

QString ApplicationWindow::styleName() const
{
    return property("styleName").toString();
}

void ApplicationWindow::setStyleName(const QString& name)
{
    // Properties the new style does not name go back to the plain window's.
    m_statusBarVisible = true;
    m_statusMenuVisible = true;
    setProperty("styleName", name);
    style()->unpolish(this);
    style()->polish(this);
    m_statusBar->setVisible(m_statusBarVisible);
    m_menu->setVisible(m_statusMenuVisible);
    update();
}

void ApplicationWindow::setStatusBarVisible(bool visible)
{
    m_statusBarVisible = visible;
    m_statusBar->setVisible(visible);
}

void ApplicationWindow::setStatusMenuVisible(bool visible)
{
    m_statusMenuVisible = visible;
    m_menu->setVisible(visible);
}

QWidget* ApplicationWindow::statusBar() const
{
    return m_statusBar;
}

void ApplicationWindow::setPage(ApplicationPage* page)
{
    if (m_page == page)
        return;
    if (m_page && m_page->parentWidget() == m_content) {
        m_contentLayout->removeWidget(m_page);
        m_page->hide();
        m_page->setParent(nullptr);
    }
    m_page = page;
    if (page) {
        page->setParent(m_content);
        m_contentLayout->addWidget(page);
    }
}

void ApplicationWindow::showEvent(QShowEvent* event)
{
    updateClock();
    m_clockTimer->start();
    QWidget::showEvent(event);
}

void ApplicationWindow::hideEvent(QHideEvent* event)
{
    m_clockTimer->stop();
    QWidget::hideEvent(event);
}

void ApplicationWindow::updateClock()
{
    m_clock->setText(QLocale().toString(QTime::currentTime(), QLocale::ShortFormat));
}

} // namespace Tarn
