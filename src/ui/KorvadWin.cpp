#include "KorvadWin.h"

#include <platform/Trace.h>
#include <platform/stacking/WindowStacking.h>
#include <platform/tarn/Application.h>

#include <QCloseEvent>

KorvadWin::KorvadWin(const QString& styleName, QWidget* parent)
    : Tarn::ApplicationWindow(parent)
{
    KTRACE() << styleName;
    setAttribute(Qt::WA_DeleteOnClose);
    setStyleName(styleName);
}

void KorvadWin::closeEvent(QCloseEvent* event)
{
    KTRACE();
    Q_EMIT windowClosed();
    Tarn::ApplicationWindow::closeEvent(event);
    m_closed = event->isAccepted();
}

void KorvadWin::showEvent(QShowEvent* event)
{
    Tarn::ApplicationWindow::showEvent(event);
    updateHold();
}

void KorvadWin::hideEvent(QHideEvent* event)
{
    Tarn::ApplicationWindow::hideEvent(event);
    updateHold();
}

void KorvadWin::updateHold()
{
    if (auto* app = Tarn::Application::instance())
        app->holdScreen(this, isVisible() && m_priority != 0);
}

void KorvadWin::setPriority(bool normal)
{
    KTRACE() << "normal:" << normal;
    const int priority = normal ? 0 : 3;
    // Raising an open page again (a repeated request) must not cost a new
    // placement (property writes, a compositor round trip) each time.
    if (priority == m_priority && m_priorityWritten && testAttribute(Qt::WA_WState_Created)) {
        KTRACE() << "unchanged";
        return;
    }
    m_priority = priority;
    m_priorityWritten = true;
    WindowStacking::instance().place(this, normal ? WindowStacking::Normal : WindowStacking::AboveAll);
    updateHold();
    KTRACE() << "out";
}

void KorvadWin::setFullScreen(bool full)
{
    const Qt::WindowStates before = windowState();
    setWindowState(full ? before | Qt::WindowFullScreen : before & ~Qt::WindowFullScreen);
    KTRACE() << before << "->" << windowState();
}

bool KorvadWin::isFullScreen() const
{
    return windowState().testFlag(Qt::WindowFullScreen);
}
