#include "Notification.h"

#include "../DBusShape.h"
#include "../Trace.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QVariantMap>

namespace Tarn {

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
} // namespace

Notification::Notification(
    const QString& eventType, const QString& summary, const QString& body, QObject* parent)
    : QObject(parent)
    , m_eventType(eventType)
    , m_summary(summary)
    , m_body(body)
{
}

QString Notification::appName()
{
    return QStringLiteral("korvad");
}

bool Notification::publish()
{
    m_id = 0;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qWarning("notification not published: no session bus");
        return false;
    }

    QVariantMap hints;
    if (!m_eventType.isEmpty())
        hints.insert(QStringLiteral("category"), m_eventType);

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << appName() << quint32(0) << QString() << m_summary << m_body << QStringList() << hints
         << qint32(-1);

    QElapsedTimer timer;
    timer.start();
    // Block without running the event loop: nothing else of the daemon may
    // run inside this call, and the wait is bounded.
    const QDBusMessage reply = bus.call(call, QDBus::Block, ReplyTimeoutMs);
    const qint64 waited = timer.elapsed();

    if (reply.type() != QDBusMessage::ReplyMessage) {
        qWarning("notification not published (%lld ms): %s %s", waited, qPrintable(reply.errorName()),
            qPrintable(reply.errorMessage()));
        return false;
    }
    if (!DBusShape::expectShape(reply, QLatin1String("u"), "org.freedesktop.Notifications.Notify"))
        return false;
    if (reply.arguments().constFirst().toUInt() == 0) {
        qWarning("notification not published: the server answered id 0");
        return false;
    }
    m_id = reply.arguments().constFirst().toUInt();
    KTRACE() << "id" << m_id << "after" << waited << "ms";
    return true;
}

} // namespace Tarn
