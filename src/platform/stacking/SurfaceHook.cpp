#include "SurfaceHook.h"

SurfaceHook::SurfaceHook(
    QObject* platformWindow, std::function<void()> created, std::function<void()> destroyed)
    : QObject(platformWindow)
    , m_created(std::move(created))
    , m_destroyed(std::move(destroyed))
{
    // Direct: the role must be given inside Qt's call, before its first commit.
    m_valid
        = connect(platformWindow, SIGNAL(wlSurfaceCreated()), this, SLOT(onCreated()), Qt::DirectConnection)
        && connect(
            platformWindow, SIGNAL(wlSurfaceDestroyed()), this, SLOT(onDestroyed()), Qt::DirectConnection);
}

void SurfaceHook::onCreated()
{
    m_created();
}

void SurfaceHook::onDestroyed()
{
    m_destroyed();
}
