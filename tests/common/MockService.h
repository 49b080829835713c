#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

// A python-dbusmock template from tests/mocks/ running as a separate process
// on the test's private bus, with access to dbusmock's control interface.
class MockService
{
public:
    enum Bus { SystemBus, SessionBus };

    MockService(const QString& templateName, const QString& busName, Bus bus,
                const QVariantMap& parameters = {});
    ~MockService();

    // Starts the mock and waits until it owns its name.
    bool start();
    void stop();
    bool isRunning() const;
    // SIGSTOP/SIGCONT: the service keeps its name but stops answering.
    void freeze();
    void thaw();

    QDBusConnection bus() const;
    QString busName() const { return m_busName; }

    // A call on org.freedesktop.DBus.Mock (or any interface) of an object.
    QDBusMessage control(const QString& path, const QString& method, const QVariantList& args = {},
                         const QString& interface = QStringLiteral("org.freedesktop.DBus.Mock"));

    // Argument lists of every recorded call of a method on an object.
    QList<QVariantList> calls(const QString& path, const QString& method);
    void clearCalls(const QString& path);

    QString output() const;

    static QString mocksDir();

private:
    QString m_template;
    QString m_busName;
    Bus m_bus;
    QVariantMap m_parameters;
    QProcess m_process;
};
