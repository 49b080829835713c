#include "XlibUtils.h"

#include "../Trace.h"

#include <QGuiApplication>
#include <QWidget>

// Xlib last: its macros (None, Bool, Status, ...) clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

Display* x11Display()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

} // namespace

int XlibUtils::changeProperty(WindowPriority priority, QWidget* window, const char* atomName, bool set)
{
    KTRACE() << priority << atomName << set;
    if (!window)
        return NullWindow;
    Display* display = x11Display();
    if (!display) {
        KTRACE() << "no X11 display, nothing written";
        return NoDisplay;
    }
    // Creates the native window if it does not exist yet; properties set
    // before mapping are what the window manager reads when it maps it.
    const Window id = static_cast<Window>(window->winId());
    const Atom atom = XInternAtom(display, atomName, False);
    if (atom == 0 || atom == BadValue || atom == BadAlloc) {
        qDebug() << "Failed To generate a valid atom response:" << atom;
        return static_cast<int>(atom);
    }
    if (set) {
        // Format 32 takes longs, whatever their width.
        long data[1] = { static_cast<long>(priority) };
        return XChangeProperty(
            display, id, atom, XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char*>(data), 1);
    }
    return XDeleteProperty(display, id, atom);
}

void XlibUtils::setWindowPriority(WindowPriority priority, QWidget* window)
{
    const bool set = priority > 0;
    changeProperty(priority, window, "_TARN_STACKING_LAYER", true);
    changeProperty(priority, window, "_TARNTOUCH_CANNOT_MINIMIZE", set);
    changeProperty(priority, window, "_NET_WM_STATE_SKIP_TASKBAR", set);
    if (Display* display = x11Display())
        XSync(display, False);
}
