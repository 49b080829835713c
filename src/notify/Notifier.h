#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

namespace Tarn {
class FeedbackClient;
}

// The daemon's one outlet for passive feedback: system notifications (with a
// banner when the notification server will not take them), banners, and
// feedback events that can be stopped by name.
class Notifier : public QObject
{
    Q_OBJECT
public:
    explicit Notifier(QObject* parent = nullptr);

    // Play id -> event name of every play not yet reported as ended.
    QHash<quint32, QString> runningEvents() const { return m_running; }

public Q_SLOTS:
    void showNotification(QString notifText, QString id);
    void playNGFEvent(QString event);
    void stopNGFEvent(QString event);
    void showBanner(QString notifText, QString bannerStyleName);
    void showBanner(QString notifText);

private Q_SLOTS:
    void eventPlayFinished(quint32 id);
    void eventPlayStopped(quint32 id);
    void eventPlayError(quint32 id);

private:
    void forget(quint32 id);

    Tarn::FeedbackClient* m_feedback;
    QHash<quint32, QString> m_running;
    // Plays already asked to stop: a second stop of the same name must
    // reach another play, not the same one again.
    QSet<quint32> m_stopping;
};
