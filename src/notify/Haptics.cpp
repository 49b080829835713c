#include "Haptics.h"

#include <common/Vocabulary.h>
#include <platform/Trace.h>
#include <platform/tarn/FeedbackClient.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

quint32 Haptics::playEvent(const QString& event)
{
    // The client hands out its id at once; the request is already on its way
    // when the client goes.
    auto* client = new Tarn::FeedbackClient(nullptr);
    const quint32 id = client->play(event);
    delete client;
    return id;
}

quint32 Haptics::playEvent(QWidget* widget, const QString& shownEvent, const QString& hiddenEvent)
{
    KTRACE() << (widget ? widget->metaObject()->className() : "NULL") << '"' + shownEvent + '"'
             << '"' + hiddenEvent + '"';
    if (isSeen(widget))
        return playEvent(shownEvent);
    qDebug("widget not visible");
    return playEvent(hiddenEvent);
}

quint32 Haptics::playEvent(QWidget* widget)
{
    return playEvent(widget, KorvaFeedback::WarningSound, KorvaFeedback::WarningStrong);
}

bool Haptics::isSeen(const QWidget* widget)
{
    if (!widget || !widget->isVisible())
        return false;
    const QWidget* window = widget->window();
    if (window->isMinimized())
        return false;
    // X reports activation only after the window is mapped, so a dialog that
    // has just appeared and asked for focus stands in for the active window
    // until then. A minimised active window sits in the task switcher.
    const QWidget* active = QApplication::activeWindow();
    if (active && active->isMinimized())
        return false;
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen && screen->geometry().intersects(window->frameGeometry());
}
