#include "Haptics.h"

#include <common/Vocabulary.h>
#include <platform/Trace.h>
#include <platform/tarn/FeedbackClient.h>

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <memory>
#include <utility>

quint32 Haptics::playEvent(const QString& event)
{
    // The client hands out its id at once; the request is already on its way
    // when the client goes.
    auto* client = new Tarn::FeedbackClient(nullptr);
    const quint32 id = client->play(event);
    delete client;
    return id;
}

namespace {

quint32 playSeenOrNot(const QWidget* widget, const QString& shownEvent, const QString& hiddenEvent)
{
    if (Haptics::isSeen(widget))
        return Haptics::playEvent(shownEvent);
    qDebug("widget not visible");
    return Haptics::playEvent(hiddenEvent);
}

} // namespace

quint32 Haptics::playEvent(QWidget* widget, const QString& shownEvent, const QString& hiddenEvent)
{
    KTRACE() << (widget ? widget->metaObject()->className() : "NULL") << '"' + shownEvent + '"'
             << '"' + hiddenEvent + '"';
    QWidget* window = widget ? widget->window() : nullptr;
    if (!window || !window->isVisible() || window->isActiveWindow() || window->isMinimized())
        return playSeenOrNot(widget, shownEvent, hiddenEvent);
    // On screen but not active: X activates a window only after it has been
    // mapped, so a dialog that has just appeared gets its chance first.
    KTRACE() << "waiting for the window to be activated";
    QPointer<QWidget> guarded(widget);
    auto* wait = new QTimer(QCoreApplication::instance());
    wait->setSingleShot(true);
    auto decided = std::make_shared<bool>(false);
    auto decide = [guarded, shownEvent, hiddenEvent, wait, decided] {
        if (std::exchange(*decided, true))
            return;
        wait->stop();
        wait->deleteLater();
        playSeenOrNot(guarded.data(), shownEvent, hiddenEvent);
    };
    QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, wait, [guarded, decide] {
        if (!guarded || guarded->window()->isActiveWindow())
            decide();
    });
    QObject::connect(wait, &QTimer::timeout, decide);
    wait->start(ActivationWaitMs);
    return 0;
}

quint32 Haptics::playEvent(QWidget* widget)
{
    return playEvent(widget, KorvaFeedback::WarningSound, KorvaFeedback::WarningStrong);
}

bool Haptics::isSeen(const QWidget* widget)
{
    const QWidget* active = QApplication::activeWindow();
    if (!active || active->isMinimized())
        return false;
    if (!widget || !widget->isVisible())
        return false;
    const QWidget* window = widget->window();
    if (window->isMinimized())
        return false;
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen && screen->geometry().intersects(window->frameGeometry());
}
