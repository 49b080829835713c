#pragma once

#include <QObject>
#include <QString>

namespace Tarn {

// A system notification handed to the desktop notification server
// (org.freedesktop.Notifications on the session bus). The event type goes
// into the "category" hint; the server keeps the notification after this
// object is gone.
//
// publish() waits for the server's answer, but never longer than
// ReplyTimeoutMs: a missing server answers at once through the bus, a hung
// one costs that long. A server that answers only after the wait may still
// show the notification.
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

    // True exactly when the server answered with a notification id.
    bool publish();
    // The server's id after a successful publish(), else 0.
    quint32 id() const { return m_id; }

    // The application name the server sees.
    static QString appName();

private:
    QString m_eventType;
    QString m_summary;
    QString m_body;
    quint32 m_id = 0;
};

} // namespace Tarn
