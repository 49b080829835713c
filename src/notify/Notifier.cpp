#include "Notifier.h"

#include <common/Vocabulary.h>
#include <platform/Trace.h>
#include <platform/tarn/Banner.h>
#include <platform/tarn/FeedbackClient.h>
#include <platform/tarn/Notification.h>

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
    qDebug(".publish()");
    Tarn::Notification notification(id, QString(), notifText);
    if (!notification.publish())
        showBanner(notifText, KorvaBanner::System);
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
    auto* banner = new Tarn::Banner;
    banner->setTitle(notifText);
    banner->setStyleName(bannerStyleName);
    connect(banner, &Tarn::Banner::clicked, banner, &Tarn::Banner::disappear);
    banner->appear(Tarn::Banner::DestroyWhenDone);
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
