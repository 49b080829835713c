#include "Notifier.h"

#include <common/Vocabulary.h>
#include <platform/Trace.h>
#include <platform/tarn/Banner.h>
#include <platform/tarn/FeedbackClient.h>
#include <platform/tarn/Notification.h>

namespace {

// Peer-supplied text never reaches a widget at any length.
QString bounded(const QString& text)
{
    if (text.size() <= Notifier::MaxTextLength)
        return text;
    return text.left(Notifier::MaxTextLength - 1) + QChar(0x2026);
}

} // namespace

Notifier::Notifier(QObject* parent)
    : QObject(parent)
    , m_feedback(new Tarn::FeedbackClient(this))
{
    connect(m_feedback, &Tarn::FeedbackClient::eventPlayFinished, this, &Notifier::eventPlayFinished);
    connect(m_feedback, &Tarn::FeedbackClient::eventPlayStopped, this, &Notifier::eventPlayStopped);
    connect(m_feedback, &Tarn::FeedbackClient::eventPlayError, this, &Notifier::eventPlayError);
}

void Notifier::showNotification(QString notifText, QString id)
{
    KTRACE() << '"' + notifText + '"' << '"' + id + '"';
    if (notifText.isEmpty())
        return;
    const QString text = bounded(notifText);
    if (m_pendingNotes >= MaxPendingNotes) {
        if (!m_notesBackedUp)
            qWarning(
                "notification server owes %d answers: texts go to banners until it answers", MaxPendingNotes);
        m_notesBackedUp = true;
        showBanner(text, KorvaBanner::System);
        return;
    }
    qDebug(".publish()");
    auto* notification = new Tarn::Notification(id, QString(), text, this);
    ++m_pendingNotes;
    connect(notification, &Tarn::Notification::finished, this, [this, notification](bool published) {
        --m_pendingNotes;
        m_notesBackedUp = m_notesBackedUp && m_pendingNotes > 0;
        notification->deleteLater();
        if (!published)
            showBanner(notification->body(), KorvaBanner::System);
    });
    notification->publish();
}

void Notifier::playNGFEvent(QString event)
{
    KTRACE() << '"' + event + '"';
    const quint32 id = m_feedback->play(event);
    m_stopping.remove(id);
    m_running.insert(id, event);
}

void Notifier::stopNGFEvent(QString event)
{
    KTRACE() << '"' + event + '"';
    quint32 id = 0;
    for (auto it = m_running.cbegin(); it != m_running.cend(); ++it) {
        if (it.value() == event && !m_stopping.contains(it.key())) {
            id = it.key();
            break;
        }
    }
    if (id == 0)
        return;
    qDebug("event exists");
    // The entry stays until the feedback client reports the stop.
    m_stopping.insert(id);
    m_feedback->stop(id);
}

void Notifier::showBanner(QString notifText, QString bannerStyleName)
{
    KTRACE() << '"' + notifText + '"' << '"' + bannerStyleName + '"';
    const BannerText wanted { bounded(notifText), bannerStyleName };
    if ((m_banner && m_banner->isVisible() && m_shown == wanted) || m_waiting.contains(wanted))
        return;
    if (!m_banner) {
        present(wanted);
        return;
    }
    if (m_waiting.size() >= MaxQueuedBanners) {
        if (!m_droppingBanners)
            qWarning(
                "%d banners waiting: further banners dropped until one has been shown", MaxQueuedBanners);
        m_droppingBanners = true;
        return;
    }
    m_waiting.append(wanted);
}

void Notifier::present(const BannerText& wanted)
{
    auto* banner = new Tarn::Banner;
    banner->setTitle(wanted.text);
    banner->setStyleName(wanted.styleName);
    connect(banner, &Tarn::Banner::clicked, banner, &Tarn::Banner::disappear);
    // Gone, by a tap, by time or otherwise: the next one may come.
    connect(banner, &QObject::destroyed, this, &Notifier::showNextBanner);
    m_banner = banner;
    m_shown = wanted;
    banner->appear(Tarn::Banner::DestroyWhenDone);
}

void Notifier::showNextBanner()
{
    m_droppingBanners = false;
    if (!m_waiting.isEmpty())
        present(m_waiting.takeFirst());
}

void Notifier::showBanner(QString notifText)
{
    showBanner(notifText, KorvaBanner::Information);
}

void Notifier::eventPlayFinished(quint32 id)
{
    KTRACE() << id;
    forget(id);
}

void Notifier::eventPlayStopped(quint32 id)
{
    KTRACE() << id;
    forget(id);
}

void Notifier::eventPlayError(quint32 id)
{
    KTRACE() << id;
    forget(id);
}

void Notifier::forget(quint32 id)
{
    m_running.remove(id);
    m_stopping.remove(id);
}
