#include "ApplicationService.h"

#include "Application.h"

namespace Tarn {

ApplicationService::ApplicationService(Application* app)
    : QDBusAbstractAdaptor(app)
    , m_app(app)
{
}

void ApplicationService::Release()
{
    m_app->release();
}

} // namespace Tarn
