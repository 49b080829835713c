#pragma once

#include <QString>

class QWidget;

// Feedback events played on behalf of the watcher's dialogs: the sound when
// the user really sees the dialog, the strong vibration when they may not.
class Haptics
{
public:
    static quint32 playEvent(const QString& event);
    static quint32 playEvent(QWidget* widget, const QString& shownEvent, const QString& hiddenEvent);
    static quint32 playEvent(QWidget* widget);

    // Whether `widget` is on screen in front of the user right now.
    static bool isSeen(const QWidget* widget);
};
