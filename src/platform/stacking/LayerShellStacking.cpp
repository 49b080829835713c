#include "LayerShellStacking.h"

#include "../Trace.h"
#include "SurfaceHook.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>
#include <qpa/qplatformwindow.h>

#include <wayland-client.h>

#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace {

// set_layer came with version 2.
constexpr uint32_t LayerShellVersion = 2;
// A compositor that does not configure within this many round trips never will.
constexpr int MaxRoundTrips = 5;
const char* const Namespace = "korvad";

// A window placed before and now "normal" steps back beneath the
// applications (the call screen comes over the PIN page) until raised again.
// Banners go on the overlay too: compositors draw full-screen applications
// above the top layer.
uint32_t layerOf(WindowStacking::Place where)
{
    return where == WindowStacking::Normal ? ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM
                                           : ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY;
}

// Exclusive: only the page and the questions (which never share the
// screen with the forced page) ask for keys.
uint32_t takesKeyboard(WindowStacking::Place where)
{
    return where == WindowStacking::Normal || where == WindowStacking::Banner ? 0 : 1;
}

QPlatformNativeInterface* native()
{
    return QGuiApplication::platformNativeInterface();
}

} // namespace

LayerShellStacking::LayerShellStacking()
{
    m_display
        = native() ? static_cast<wl_display*>(native()->nativeResourceForIntegration("wl_display")) : nullptr;
    if (!m_display) {
        qWarning("Wayland display not available: windows are stacked as ordinary windows");
        return;
    }
    // Our own queue: the globals are found with a round trip that must not
    // dispatch Qt's events from inside our call.
    m_queue = wl_display_create_queue(m_display);
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(m_display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), m_queue);
    m_registry = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    static const wl_registry_listener listener
        = { &LayerShellStacking::onGlobal, &LayerShellStacking::onGlobalRemove };
    wl_registry_add_listener(m_registry, &listener, this);
    wl_display_roundtrip_queue(m_display, m_queue);
    KTRACE() << "layer shell:" << (m_shell != nullptr);
}

LayerShellStacking::~LayerShellStacking()
{
    for (Placed* placed : std::as_const(m_placed)) {
        dropRole(*placed);
        delete placed;
    }
    if (m_shell)
        zwlr_layer_shell_v1_destroy(m_shell);
    if (m_registry)
        wl_registry_destroy(m_registry);
    if (m_queue)
        wl_event_queue_destroy(m_queue);
}

void LayerShellStacking::onGlobal(
    void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    auto* self = static_cast<LayerShellStacking*>(data);
    if (qstrcmp(interface, zwlr_layer_shell_v1_interface.name) != 0 || self->m_shell
        || version < LayerShellVersion)
        return;
    self->m_shell = static_cast<zwlr_layer_shell_v1*>(
        wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, LayerShellVersion));
}

void LayerShellStacking::onGlobalRemove(void*, wl_registry*, uint32_t) { }

void LayerShellStacking::place(QWidget* window, Place where)
{
    if (!window)
        return;
    KTRACE() << window->objectName() << where;
    if (m_queue)
        wl_display_dispatch_queue_pending(m_display, m_queue);
    if (!m_shell) {
        if (where == AboveAll && !m_fallbackLogged) {
            m_fallbackLogged = true;
            qWarning("The compositor offers no wlr-layer-shell: the PIN page is shown full screen and can be "
                     "covered");
        }
        if (where == AboveAll)
            window->setWindowState(window->windowState() | Qt::WindowFullScreen);
        return;
    }

    Placed* placed = m_placed.value(window);
    if (!placed) {
        if (where == Normal)
            return;
        placed = new Placed;
        placed->window = window;
        m_placed.insert(window, placed);
        QObject::connect(window, &QObject::destroyed, [this, window] {
            // The surface went with the window; only our proxy is left.
            if (Placed* gone = m_placed.take(window)) {
                if (gone->layer)
                    zwlr_layer_surface_v1_destroy(gone->layer);
                delete gone;
            }
        });
    }
    placed->where = where;
    if (placed->layer && !placed->closed) {
        updateRole(*placed);
        return;
    }

    // The role is given when Qt makes the surface, which it does again after
    // each hide: a shown window goes round once more.
    const bool wasVisible = window->isVisible();
    if (wasVisible)
        window->hide();
    dropRole(*placed);
    window->setWindowFlag(Qt::BypassWindowManagerHint);
    const QRect screen = (window->screen() ? window->screen() : QGuiApplication::primaryScreen())->geometry();
    // A question comes at the size it gave itself.
    if (where != Question)
        window->resize(screen.width(), where == Banner ? window->height() : screen.height());
    window->winId();
    hookSurfaceSignals(*placed);
    if (!window->isVisible() && nativeSurface(window))
        giveRole(*placed);
    if (wasVisible)
        window->show();
}

void LayerShellStacking::hookSurfaceSignals(Placed& placed)
{
    QWindow* handle = placed.window ? placed.window->windowHandle() : nullptr;
    QObject* platformWindow = handle && handle->handle() ? dynamic_cast<QObject*>(handle->handle()) : nullptr;
    if (!platformWindow || platformWindow == placed.hookedOn)
        return;
    placed.hookedOn = platformWindow;
    QWidget* window = placed.window;
    auto* hook = new SurfaceHook(
        platformWindow,
        [this, window] {
            Placed* p = m_placed.value(window);
            if (p && window->windowFlags().testFlag(Qt::BypassWindowManagerHint))
                giveRole(*p);
        },
        [this, window] {
            if (Placed* p = m_placed.value(window))
                dropRole(*p);
        });
    if (!hook->isValid())
        qWarning("Qt's Wayland window has no surface signals: windows cannot be placed above others");
}

wl_surface* LayerShellStacking::nativeSurface(QWidget* window) const
{
    QWindow* handle = window ? window->windowHandle() : nullptr;
    if (!handle || !handle->handle())
        return nullptr;
    return static_cast<wl_surface*>(native()->nativeResourceForWindow("surface", handle));
}

void LayerShellStacking::giveRole(Placed& placed)
{
    QWidget* window = placed.window;
    wl_surface* surface = nativeSurface(window);
    if (!surface || surface == placed.surface)
        return;
    dropRole(placed);
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    // phoc aborts on a layer surface without an output.
    auto* output = static_cast<wl_output*>(native()->nativeResourceForScreen("output", screen));
    if (!output) {
        qWarning("No Wayland output for the screen: window left without a place");
        return;
    }
    placed.surface = surface;
    placed.configured = false;
    placed.closed = false;
    placed.layer
        = zwlr_layer_shell_v1_get_layer_surface(m_shell, surface, output, layerOf(placed.where), Namespace);
    static const zwlr_layer_surface_v1_listener listener
        = { &LayerShellStacking::onConfigure, &LayerShellStacking::onClosed };
    zwlr_layer_surface_v1_add_listener(placed.layer, &listener, &placed);
    const uint32_t edges = ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT
        | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;
    if (placed.where == Banner) {
        zwlr_layer_surface_v1_set_anchor(placed.layer, edges);
        zwlr_layer_surface_v1_set_size(placed.layer, 0, static_cast<uint32_t>(qMax(1, window->height())));
    } else if (placed.where == Question) {
        // No anchor: centred at its own size.
        zwlr_layer_surface_v1_set_size(placed.layer, static_cast<uint32_t>(qMax(1, window->width())),
            static_cast<uint32_t>(qMax(1, window->height())));
    } else {
        zwlr_layer_surface_v1_set_anchor(placed.layer, edges | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM);
        zwlr_layer_surface_v1_set_size(placed.layer, 0, 0);
        // Over the panels too, not moved aside by them.
        zwlr_layer_surface_v1_set_exclusive_zone(placed.layer, -1);
    }
    zwlr_layer_surface_v1_set_keyboard_interactivity(placed.layer, takesKeyboard(placed.where));
    // The first commit carries no buffer; Qt may draw only once it is configured.
    wl_surface_commit(surface);
    for (int i = 0; i < MaxRoundTrips && !placed.configured && !placed.closed; ++i) {
        if (wl_display_roundtrip_queue(m_display, m_queue) < 0)
            break;
    }
    KTRACE() << "configured:" << placed.configured << "closed:" << placed.closed;
}

void LayerShellStacking::updateRole(Placed& placed)
{
    zwlr_layer_surface_v1_set_layer(placed.layer, layerOf(placed.where));
    zwlr_layer_surface_v1_set_keyboard_interactivity(placed.layer, takesKeyboard(placed.where));
    wl_surface_commit(placed.surface);
    wl_display_flush(m_display);
}

void LayerShellStacking::dropRole(Placed& placed)
{
    if (placed.layer)
        zwlr_layer_surface_v1_destroy(placed.layer);
    placed.layer = nullptr;
    placed.surface = nullptr;
    placed.configured = false;
}

void LayerShellStacking::onConfigure(
    void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width, uint32_t height)
{
    auto* placed = static_cast<Placed*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    placed->configured = true;
    KTRACE() << width << height;
    if (placed->window && width > 0 && height > 0)
        placed->window->resize(static_cast<int>(width), static_cast<int>(height));
}

void LayerShellStacking::onClosed(void* data, zwlr_layer_surface_v1*)
{
    // The output went away; the window gets a new surface when shown again.
    static_cast<Placed*>(data)->closed = true;
}
