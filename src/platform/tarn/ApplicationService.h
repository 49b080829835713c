#pragma once

#include <QDBusAbstractAdaptor>

namespace Tarn {

class Application;

// Session-bus face of the application: the platform ends the prestart through
// Release(). Exported on the application object itself.
class ApplicationService : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.vexa.korvad.Application")
public:
    explicit ApplicationService(Application* app);

public Q_SLOTS:
    void Release();

private:
    Application* m_app;
};

} // namespace Tarn
