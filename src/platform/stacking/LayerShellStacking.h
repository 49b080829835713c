#pragma once

#include "WindowStacking.h"

#include <QHash>
#include <QPointer>

struct wl_display;
struct wl_event_queue;
struct wl_registry;
struct wl_surface;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;

// Stacking on Wayland compositors that offer wlr-layer-shell. A placed window
// has no shell role of Qt's (QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT and the
// bypass flag); each wl_surface Qt makes for it, and Qt makes a new one for
// every appearance, gets the layer-surface role here before Qt draws into it.
// "Normal" makes the window an ordinary toplevel again. Without layer-shell,
// a window meant for above everything is shown full screen and may be covered.
class LayerShellStacking : public WindowStacking
{
public:
    LayerShellStacking();
    ~LayerShellStacking() override;

    void place(QWidget* window, Place where) override;

private:
    struct Placed
    {
        QPointer<QWidget> window;
        Place where = Normal;
        QObject* hookedOn = nullptr;
        wl_surface* surface = nullptr;
        zwlr_layer_surface_v1* layer = nullptr;
        bool configured = false;
        bool closed = false;
    };

    void hookSurfaceSignals(Placed& placed);
    wl_surface* nativeSurface(QWidget* window) const;
    void giveRole(Placed& placed);
    void updateRole(Placed& placed);
    void dropRole(Placed& placed);
    static void onConfigure(
        void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width, uint32_t height);
    static void onClosed(void* data, zwlr_layer_surface_v1* layer);
    static void onGlobal(
        void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version);
    static void onGlobalRemove(void* data, wl_registry* registry, uint32_t name);

    wl_display* m_display = nullptr;
    wl_event_queue* m_queue = nullptr;
    wl_registry* m_registry = nullptr;
    zwlr_layer_shell_v1* m_shell = nullptr;
    QHash<QWidget*, Placed*> m_placed;
    bool m_fallbackLogged = false;
};
