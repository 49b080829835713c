#include "PinCodeQueryUI.h"

#include "KorvadWin.h"

#include <platform/Trace.h>

#include <QApplication>
#include <QBackingStore>
#include <QPainter>
#include <QSignalBlocker>
#include <QTimer>

namespace {
const QString NoStatusBar = QStringLiteral("pinNoStatusBar");
const QString StatusBarNoMenu = QStringLiteral("pinStatusBarNoMenu");
} // namespace

PinCodeQueryUI::PinCodeQueryUI(bool forced, QWidget* parent)
    : Tarn::ApplicationPage(parent)
{
    setObjectName(QStringLiteral("PinCodeQueryUI"));
    if (forced)
        win(NoStatusBar);
    setVisible(false);
    setComponentsDisplayMode(AllComponents, Hide);
    setEscapeMode(EscapeManualBack);
    setPositionIndicatorVisible(false);
    setPannable(false);
    KorvadWin* w = win();
    w->setPortraitOrientation();
    w->setOrientationLocked(true);
}

PinCodeQueryUI::~PinCodeQueryUI()
{
    // An empty window would be left on screen.
    if (window)
        window->deleteLater();
}

KorvadWin* PinCodeQueryUI::currentWindow() const
{
    return window && !window->isClosed() ? window.data() : nullptr;
}

KorvadWin* PinCodeQueryUI::win(const QString& styleName)
{
    if (KorvadWin* w = currentWindow())
        return w;
    // A closed window may still exist until the event loop deletes it; it is
    // never shown again.
    KTRACE() << "no window yet";
    window = new KorvadWin(styleName, nullptr);
    if (!window)
        qFatal("korvad: Window creation failed!");
    connect(window, &KorvadWin::windowClosed, this, &PinCodeQueryUI::windowClosed, Qt::QueuedConnection);
    window->setPortraitOrientation();
    window->setOrientationLocked(true);
    if (windowFilter)
        window->installEventFilter(windowFilter);
    return window;
}

void PinCodeQueryUI::prepareWindow()
{
    // The native window with the page in it, polished, but not shown: the
    // launch then only maps it.
    KorvadWin* w = win();
    w->setPage(this);
    w->winId();
    w->ensurePolished();
    for (QWidget* child : w->findChildren<QWidget*>())
        child->ensurePolished();
    QTimer::singleShot(0, this, &PinCodeQueryUI::prefaultBuffer);
}

void PinCodeQueryUI::prefaultBuffer()
{
    // The first paint would fault the window's whole buffer in, page by
    // page: on an idle moment, while nothing shows, touch it once.
    KorvadWin* w = currentWindow();
    QBackingStore* store = w && !w->isVisible() ? w->backingStore() : nullptr;
    if (!store)
        return;
    const QRect area(QPoint(), w->size());
    store->resize(area.size());
    store->beginPaint(area);
    if (QPaintDevice* device = store->paintDevice()) {
        QPainter painter(device);
        painter.fillRect(area, Qt::black);
    }
    store->endPaint();
}

void PinCodeQueryUI::installWindowEventFilter(QObject* filter)
{
    windowFilter = filter;
    if (KorvadWin* w = currentWindow())
        w->installEventFilter(filter);
}

void PinCodeQueryUI::appear(Tarn::ApplicationPage::DeletionPolicy policy)
{
    KorvadWin* w = win();
    if (!isVisible() || w->currentPage() != this)
        Tarn::ApplicationPage::appear(w, policy);
    KTRACE() << "visible:" << isVisible();
}

void PinCodeQueryUI::appear(Tarn::ApplicationWindow*, Tarn::ApplicationPage::DeletionPolicy policy)
{
    appear(policy);
}

void PinCodeQueryUI::disappear()
{
    if (isVisible()) {
        Tarn::ApplicationPage::disappear();
        hide();
    }
    KTRACE() << "visible:" << isVisible();
}

void PinCodeQueryUI::showWindow()
{
    KorvadWin* w = win();
    windowTraces(QStringLiteral("Before: ->"), QLatin1String(Q_FUNC_INFO));
    if (!w->isVisible() || w->isHidden())
        w->show();
    if (!w->isActiveWindow()) {
        w->activateWindow();
        w->raise();
    }
    windowTraces(QStringLiteral("After: ->"), QLatin1String(Q_FUNC_INFO));
}

void PinCodeQueryUI::closeUi()
{
    KTRACE() << "page visible:" << isVisible();
    // Closed from code, not by the user: no windowClosed(), which would
    // count as the user's cancel.
    if (KorvadWin* w = currentWindow()) {
        const QSignalBlocker quiet(w);
        w->close();
    }
    hide();
}

void PinCodeQueryUI::setWindowOnTop(bool onTop)
{
    KTRACE() << onTop;
    win()->setPriority(!onTop);
}

bool PinCodeQueryUI::isOnTop() const
{
    KorvadWin* w = currentWindow();
    return w && w->priority() != 0;
}

void PinCodeQueryUI::hideStatusBar(bool hide)
{
    KorvadWin* w = win();
    if (hide && w->styleName() != NoStatusBar)
        w->setStyleName(NoStatusBar);
    else if (!hide && !w->styleName().isEmpty())
        w->setStyleName(QString());
    KTRACE() << "new:" << w->styleName();
}

void PinCodeQueryUI::disableStatusBar()
{
    KorvadWin* w = win();
    if (w->styleName() != StatusBarNoMenu)
        w->setStyleName(StatusBarNoMenu);
    KTRACE() << w->styleName();
}

void PinCodeQueryUI::setFullScreen(bool full)
{
    win()->setFullScreen(full);
}

bool PinCodeQueryUI::isFullScreen() const
{
    KorvadWin* w = currentWindow();
    return w && w->isFullScreen();
}

void PinCodeQueryUI::windowTraces(const QString& label, const QString& where) const
{
    KorvadWin* w = currentWindow();
    if (!w) {
        KTRACE() << where << label << "no window";
        return;
    }
    KTRACE() << where << label << "active:" << w->isActiveWindow() << "hidden:" << w->isHidden()
             << "visible:" << w->isVisible() << "fullscreen:" << w->isFullScreen()
             << "state:" << w->windowState() << "flags:" << w->windowFlags();
}
