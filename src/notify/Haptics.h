#pragma once

#include <QString>

class QWidget;

// Feedback events played on behalf of the watcher's dialogs: the sound when
// the user really sees the dialog, the strong vibration when they may not.
class Haptics
{
public:
    // Longest wait for the window system to activate a window that is on
    // screen but not active yet (a dialog that has just appeared).
    static constexpr int ActivationWaitMs = 1000;

    static quint32 playEvent(const QString& event);
    // The play id; 0 while the choice waits for the widget's window to be
    // activated (at most ActivationWaitMs).
    static quint32 playEvent(QWidget* widget, const QString& shownEvent, const QString& hiddenEvent);
    static quint32 playEvent(QWidget* widget);

    // Whether `widget` is in front of the user right now: the application
    // has an active window that is not in the task switcher (minimised), and
    // the widget is visible on screen.
    static bool isSeen(const QWidget* widget);
};
