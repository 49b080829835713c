#pragma once

#include <QObject>

#include <functional>

// Follows the wl_surface of one Qt Wayland platform window. Its signals are
// not public API, so they are found by name; a Qt without them leaves the
// hook inert (isValid() false).
class SurfaceHook : public QObject
{
    Q_OBJECT
public:
    SurfaceHook(QObject* platformWindow, std::function<void()> created, std::function<void()> destroyed);
    bool isValid() const { return m_valid; }

private Q_SLOTS:
    void onCreated();
    void onDestroyed();

private:
    std::function<void()> m_created;
    std::function<void()> m_destroyed;
    bool m_valid = false;
};
