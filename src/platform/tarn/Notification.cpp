#include "Notification.h"

#include "../DBusShape.h"
#include "../Trace.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
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

void Notification::publish()
{
    m_id = 0;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qWarning("notification not published: no session bus");
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT finished(false); }, Qt::QueuedConnection);
        return;
    }

    QVariantMap hints;
    if (!m_eventType.isEmpty())
        hints.insert(QStringLiteral("category"), m_eventType);

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << appName() << quint32(0) << QString() << m_summary << m_body << QStringList() << hints
         << qint32(-1);

    // Never wait on the GUI thread: a hung server must not freeze the
    // daemon, however many notifications come.
    QElapsedTimer timer;
    timer.start();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, ReplyTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, timer] {
        watcher->deleteLater();
        answered(watcher->reply(), timer.elapsed());
    });
}

void Notification::answered(const QDBusMessage& reply, qint64 waited)
{
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qWarning("notification not published (%lld ms): %s %s", waited, qPrintable(reply.errorName()),
            qPrintable(reply.errorMessage()));
    } else if (DBusShape::expectShape(reply, QLatin1String("u"), "org.freedesktop.Notifications.Notify")) {
        m_id = reply.arguments().constFirst().toUInt();
        if (m_id == 0)
            qWarning("notification not published: the server answered id 0");
        else
            KTRACE() << "id" << m_id << "after" << waited << "ms";
    }
    Q_EMIT finished(m_id != 0);
}

} // namespace Tarn
