#pragma once

#include <QObject>
#include <QString>

class QDBusMessage;

namespace Tarn {

// A system notification handed to the desktop notification server
// (org.freedesktop.Notifications on the session bus). The event type goes
// into the "category" hint; the server keeps the notification after this
// object is gone.
//
// publish() never waits: the server's answer comes as finished(), from the
// event loop, at most ReplyTimeoutMs later. A server that answers only after
// that may still show the notification.
class Notification : public QObject
{
    Q_OBJECT
public:
    static constexpr int ReplyTimeoutMs = 500;

    Notification(
        const QString& eventType, const QString& summary, const QString& body, QObject* parent = nullptr);

    QString eventType() const { return m_eventType; }
    QString summary() const { return m_summary; }
    QString body() const { return m_body; }

    // Sends it; finished() follows exactly once.
    void publish();
    // The server's id once it took the notification, else 0.
    quint32 id() const { return m_id; }

    // The application name the server sees.
    static QString appName();

Q_SIGNALS:
    // True exactly when the server answered in time with a notification id.
    void finished(bool published);

private:
    void answered(const QDBusMessage& reply, qint64 waited);

    QString m_eventType;
    QString m_summary;
    QString m_body;
    quint32 m_id = 0;
};

} // namespace Tarn
