#pragma once

#include <QObject>

class QWidget;

// Window-manager hints of the query window, as X11 window properties.
class XlibUtils : public QObject
{
    Q_OBJECT
public:
    enum WindowPriority { Normal = 0, Elevated = 1, High = 2, AboveAll = 3 };
    Q_ENUM(WindowPriority)

    // Results besides Xlib's own: a null window, and no X11 display (the
    // offscreen platform), where nothing is written.
    static constexpr int NullWindow = 3;
    static constexpr int NoDisplay = -1;

    static int changeProperty(WindowPriority priority, QWidget* window, const char* atomName, bool set);
    static void setWindowPriority(WindowPriority priority, QWidget* window);
};
