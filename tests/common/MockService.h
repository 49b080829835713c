#pragma once

#include <DaemonProcess.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

// A python-dbusmock template from tests/mocks/ running as a separate process
// on the test's private bus, with access to dbusmock's control interface.
class MockService
{
public:
    enum Bus { SystemBus, SessionBus };

    MockService(
        const QString& templateName, const QString& busName, Bus bus, const QVariantMap& parameters = {});
    ~MockService();

    // Starts the mock and waits until it owns its name.
    bool start();
    void stop();
    // Stops (or resumes) the whole process: a service that answers nothing,
    // not even introspection.
    bool freeze(bool frozen);

    QDBusConnection bus() const;

    // A call on org.freedesktop.DBus.Mock (or any interface) of an object.
    QDBusMessage control(const QString& path, const QString& method, const QVariantList& args = {},
        const QString& interface = QStringLiteral("org.freedesktop.DBus.Mock"));

    // A control call on "/" written "Method:arg:arg": true and false are
    // booleans, numbers unsigned (bytes for SetRetries), the rest strings.
    bool step(const QString& step);

    // Argument lists of every recorded call of a method on an object.
    QList<QVariantList> calls(const QString& path, const QString& method);
    void clearCalls(const QString& path);

private:
    bool registered() const;

    QString m_template;
    QString m_busName;
    Bus m_bus;
    QVariantMap m_parameters;
    QProcess m_process;
};

// The notification server, and the Notify calls it received.
class NotificationsMock : public MockService
{
public:
    NotificationsMock()
        : MockService(
            QStringLiteral("notifications"), QStringLiteral("org.freedesktop.Notifications"), SessionBus)
    {
    }
    QList<QVariantList> notes()
    {
        return calls(QStringLiteral("/org/freedesktop/Notifications"), QStringLiteral("Notify"));
    }
    // "summary body|category" of each notification so far.
    QStringList shown();
    // Every note so far, once `count` came and the daemon's event loop passed
    // what it sent meanwhile.
    QStringList shown(DaemonProcess& daemon, int count);
};

// Every note a flow showed against `expected`, in order and one a line: an
// extra, missing or misplaced note fails showing them all, never only a wrong
// last one.
#define COMPARE_NOTES(mock, daemon, expected)                                                                \
    QCOMPARE((mock).shown(daemon, int(QStringList(expected).size())).join(u'\n'),                            \
        QStringList(expected).join(u'\n'))

// feedbackd, and the events it was asked to play, in order.
class FeedbackdMock : public MockService
{
public:
    FeedbackdMock()
        : MockService(QStringLiteral("feedbackd"), QStringLiteral("org.sigxcpu.Feedback"), SessionBus)
    {
    }
    QStringList events()
    {
        QStringList names;
        for (const QVariantList& call :
            calls(QStringLiteral("/org/sigxcpu/Feedback"), QStringLiteral("TriggerFeedback")))
            names << call.value(1).toString();
        return names;
    }
    // The events still playing, by name.
    QStringList playing();
};
