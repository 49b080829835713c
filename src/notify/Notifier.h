#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

namespace Tarn {
class Banner;
class FeedbackClient;
}

// The daemon's one outlet for passive feedback: system notifications (with a
// banner when the notification server will not take them), banners, and
// feedback events that can be stopped by name.
//
// Whoever asks, and however often, what reaches the screen stays bounded:
// one banner at a time with a few waiting (a text already shown or waiting
// is not queued again), the rest dropped; texts cut at MaxTextLength; the
// notification server never waited for, and while it owes MaxPendingNotes
// answers a further text goes straight to a banner.
class Notifier : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxQueuedBanners = 4;
    static constexpr int MaxPendingNotes = 8;
    static constexpr int MaxTextLength = 512;

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
    struct BannerText
    {
        QString text;
        QString styleName;
        bool operator==(const BannerText& other) const
        {
            return text == other.text && styleName == other.styleName;
        }
    };

    void forget(quint32 id);
    void present(const BannerText& banner);
    void showNextBanner();

    Tarn::FeedbackClient* m_feedback;
    QHash<quint32, QString> m_running;
    // Plays already asked to stop: a second stop of the same name must
    // reach another play, not the same one again.
    QSet<quint32> m_stopping;

    QPointer<Tarn::Banner> m_banner;
    BannerText m_shown;
    QList<BannerText> m_waiting;
    bool m_droppingBanners = false;
    int m_pendingNotes = 0;
    bool m_notesBackedUp = false;
};
