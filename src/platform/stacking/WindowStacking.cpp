#include "WindowStacking.h"

#include "X11Stacking.h"
#ifdef KORVA_WAYLAND
#include "LayerShellStacking.h"
#endif

#include <QGuiApplication>

void WindowStacking::prepareEnvironment()
{
#ifdef KORVA_WAYLAND
    // Lets a window with the bypass flag go without Qt's shell role, so that
    // it can be given the layer-shell role instead. Read by Qt's Wayland
    // plugin only; harmless elsewhere.
    if (!qEnvironmentVariableIsSet("QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT"))
        qputenv("QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT", "1");
#endif
}

WindowStacking& WindowStacking::instance()
{
    // Never deleted: the Wayland one holds proxies of a display Qt closes
    // when the application object goes.
    static WindowStacking* const stacking = []() -> WindowStacking* {
#ifdef KORVA_WAYLAND
        if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
            return new LayerShellStacking;
#endif
        return new X11Stacking;
    }();
    return *stacking;
}
