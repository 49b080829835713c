#include "SystemdNotifier.h"

#include <platform/DBusShape.h>
#include <platform/Trace.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

#include <systemd/sd-daemon.h>

SystemdNotifier::SystemdNotifier(QObject* parent)
    : QObject(parent)
    , m_active(!qEnvironmentVariableIsEmpty("NOTIFY_SOCKET"))
{
}

void SystemdNotifier::send(const QByteArray& state)
{
    if (!m_active)
        return;
    const int sent = sd_notify(0, state.constData());
    if (sent < 0)
        qWarning("sd_notify failed: %s", qPrintable(qt_error_string(-sent)));
}

void SystemdNotifier::status(const char* text)
{
    send(QByteArray("STATUS=") + text);
}

void SystemdNotifier::ready(const char* text)
{
    send(QByteArray("READY=1\nSTATUS=") + text);
}

void SystemdNotifier::pinStageOver()
{
    status("PIN stage over");
    if (!m_active)
        return;
    // The user manager sits on the session bus; the start is asked for and
    // not waited on, so a missing manager costs only a warning.
    QDBusMessage start = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.systemd1"),
        QStringLiteral("/org/freedesktop/systemd1"), QStringLiteral("org.freedesktop.systemd1.Manager"),
        QStringLiteral("StartUnit"));
    start << QString::fromLatin1(PinStageTarget) << QStringLiteral("replace");
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(start, 10000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        if (DBusShape::expectShape(call->reply(), QLatin1String("o"), "StartUnit"))
            KTRACE() << PinStageTarget << "started";
    });
}
