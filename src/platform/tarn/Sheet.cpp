#include "Sheet.h"

#include "../stacking/WindowStacking.h"
#include "Application.h"
#include "StylableWidget.h"

#include "../Trace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace Tarn {

Sheet::Sheet(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_layout(new QVBoxLayout(this))
{
    setAttribute(Qt::WA_StyledBackground);
    setProperty("styleName", QString());
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    if (auto* app = Application::instance())
        connect(app, &Application::screenHeldChanged, this, &Sheet::screenHeld);
}

QString Sheet::styleName() const
{
    return StylableWidget::styleName(this);
}

void Sheet::setStyleName(const QString& name)
{
    StylableWidget::setStyleName(this, name);
}

void Sheet::replace(QPointer<QWidget>& slot, QWidget* widget, int index)
{
    if (slot == widget)
        return;
    delete slot;
    slot = widget;
    if (widget)
        m_layout->insertWidget(index, widget, index == 0 ? 0 : 1);
}

void Sheet::setHeaderWidget(QWidget* widget)
{
    replace(m_header, widget, 0);
}

void Sheet::setCentralWidget(QWidget* widget)
{
    replace(m_central, widget, m_header ? 1 : 0);
}

void Sheet::appearSystemwide(DeletionPolicy policy)
{
    KTRACE() << (policy == KeepWhenDone ? "keep" : "destroy");
    m_policy = policy;
    auto* app = Application::instance();
    if (!app || app->mayShow(this, Application::Question, [this] { comeUp(); }))
        comeUp();
}

void Sheet::comeUp()
{
    if (QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->geometry());
    WindowStacking::instance().place(this, WindowStacking::Sheet);
    showFullScreen();
    raise();
    activateWindow();
}

void Sheet::disappear()
{
    KTRACE();
    if (auto* app = Application::instance())
        app->cancelShow(this);
    const bool wasVisible = isVisible();
    hide();
    if (wasVisible)
        Q_EMIT disappeared();
    if (m_policy == DestroyWhenDone)
        deleteLater();
}

void Sheet::screenHeld(bool held)
{
    if (!held || !isVisible())
        return;
    KTRACE() << "steps aside";
    hide();
    Application::instance()->mayShow(this, Application::Question, [this] { comeUp(); });
}

void Sheet::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // After the show has been processed, so a focus set then sticks.
    if (!event->spontaneous())
        QTimer::singleShot(0, this, &Sheet::appeared);
}

} // namespace Tarn
