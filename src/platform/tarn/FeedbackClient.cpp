#include "FeedbackClient.h"

#include "../DBusShape.h"
#include "../Trace.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QPointer>
#include <QVariantMap>

namespace Tarn {

namespace {
const QString kService = QStringLiteral("org.sigxcpu.Feedback");
const QString kPath = QStringLiteral("/org/sigxcpu/Feedback");
const QString kInterface = QStringLiteral("org.sigxcpu.Feedback");

// FeedbackEnded reasons
constexpr quint32 ReasonNatural = 0;
constexpr quint32 ReasonTimeout = 1;
constexpr quint32 ReasonExplicit = 2;
constexpr quint32 ReasonNotFound = 0xFFFFFFFF;
// Our own, for plays that never reached feedbackd or lost it.
constexpr quint32 ReasonFailed = 0xFFFFFFFE;
} // namespace

FeedbackClient::FeedbackClient(QObject* parent)
    : QObject(parent)
    , m_serviceWatcher(new QDBusServiceWatcher(
          kService, QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForUnregistration, this))
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.connect(kService, kPath, kInterface, QStringLiteral("FeedbackEnded"), this,
            SLOT(feedbackEnded(QDBusMessage))))
        qWarning("feedback: cannot listen to %s on the session bus", qPrintable(kService));
    connect(m_serviceWatcher, &QDBusServiceWatcher::serviceUnregistered, this, &FeedbackClient::serviceGone);
}

QString FeedbackClient::appId()
{
    return QStringLiteral("korvad");
}

quint32 FeedbackClient::play(const QString& event)
{
    quint32 id = m_lastId;
    do {
        ++id;
    } while (id == 0 || m_plays.contains(id));
    m_lastId = id;
    m_plays.insert(id, Play { event });
    ++m_unanswered;

    QDBusMessage call
        = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("TriggerFeedback"));
    call << appId() << event << QVariantMap() << qint32(-1);
    // An unconnected bus yields a call that has already failed; the watcher
    // still reports it from the event loop.
    // The watcher outlives a client deleted right after play(), so that a
    // failure is still logged; the application still frees it at exit.
    auto* watcher = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(call, CallTimeoutMs), QCoreApplication::instance());
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
        [self = QPointer<FeedbackClient>(this), id, event](QDBusPendingCallWatcher* w) {
            if (self) {
                self->triggerAnswered(id, w);
                return;
            }
            w->deleteLater();
            if (w->isError())
                qWarning("feedback \"%s\" not played: %s %s", qPrintable(event),
                    qPrintable(w->error().name()), qPrintable(w->error().message()));
            else
                DBusShape::expectShape(
                    w->reply(), QLatin1String("u"), "org.sigxcpu.Feedback.TriggerFeedback");
        });
    KTRACE() << event << "play id" << id;
    return id;
}

void FeedbackClient::triggerAnswered(quint32 id, QDBusPendingCallWatcher* watcher)
{
    watcher->deleteLater();
    --m_unanswered;
    auto it = m_plays.find(id);
    if (it == m_plays.end())
        return;

    const QDBusMessage reply = watcher->reply();
    if (reply.type() == QDBusMessage::ErrorMessage) {
        qWarning("feedback \"%s\" not played: %s %s", qPrintable(it->event), qPrintable(reply.errorName()),
            qPrintable(reply.errorMessage()));
        end(id, ReasonFailed);
    } else if (!DBusShape::expectShape(reply, QLatin1String("u"), "org.sigxcpu.Feedback.TriggerFeedback")) {
        end(id, ReasonFailed);
    } else {
        const quint32 remoteId = reply.arguments().constFirst().toUInt();
        KTRACE() << it->event << "play id" << id << "is feedback" << remoteId;
        if (m_earlyEnds.contains(remoteId)) {
            end(id, m_earlyEnds.take(remoteId));
        } else {
            it->remoteId = remoteId;
            m_byRemote.insert(remoteId, id);
            if (it->stopRequested)
                sendEnd(id, remoteId);
        }
    }
    if (m_unanswered == 0)
        m_earlyEnds.clear();
}

void FeedbackClient::stop(quint32 id)
{
    auto it = m_plays.find(id);
    if (it == m_plays.end()) {
        KTRACE() << "no play" << id;
        return;
    }
    KTRACE() << it->event << "play id" << id;
    it->stopRequested = true;
    // Not answered yet: the stop goes out with the reply.
    if (it->remoteId != 0)
        sendEnd(id, it->remoteId);
}

void FeedbackClient::sendEnd(quint32 id, quint32 remoteId)
{
    QDBusMessage call
        = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("EndFeedback"));
    call << remoteId;
    auto* watcher
        = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call, CallTimeoutMs), this);
    connect(
        watcher, &QDBusPendingCallWatcher::finished, this, [this, id, remoteId](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            if (!w->isError())
                return; // FeedbackEnded follows
            qWarning("feedback %u not stopped: %s", remoteId, qPrintable(w->error().name()));
            // The play is still ours only if feedbackd did not end it meanwhile.
            if (m_byRemote.value(remoteId) == id)
                end(id, ReasonFailed);
        });
}

void FeedbackClient::feedbackEnded(const QDBusMessage& message)
{
    // Anyone may own the name while feedbackd is away: trust no shape.
    if (!DBusShape::expectShape(message, QLatin1String("uu"), "org.sigxcpu.Feedback.FeedbackEnded"))
        return;
    const quint32 remoteId = message.arguments().at(0).toUInt();
    const quint32 reason = message.arguments().at(1).toUInt();
    const auto it = m_byRemote.constFind(remoteId);
    if (it == m_byRemote.cend()) {
        // Possibly one of ours whose start has not been answered yet.
        if (m_unanswered > 0)
            m_earlyEnds.insert(remoteId, reason);
        return;
    }
    end(it.value(), reason);
}

void FeedbackClient::end(quint32 id, quint32 reason)
{
    const Play play = m_plays.take(id);
    if (play.remoteId != 0)
        m_byRemote.remove(play.remoteId);
    KTRACE() << play.event << "play id" << id << "reason" << reason;
    switch (reason) {
    case ReasonExplicit:
        Q_EMIT eventPlayStopped(id);
        break;
    case ReasonNotFound:
        qWarning("feedback \"%s\": feedbackd has no such event in its theme", qPrintable(play.event));
        Q_EMIT eventPlayError(id);
        break;
    case ReasonFailed:
        Q_EMIT eventPlayError(id);
        break;
    case ReasonNatural:
    case ReasonTimeout:
    default:
        // Whatever else feedbackd may report, the feedback is over.
        Q_EMIT eventPlayFinished(id);
        break;
    }
}

void FeedbackClient::serviceGone()
{
    // feedbackd will not report the plays it had; unanswered starts get
    // their error replies from the bus.
    const QHash<quint32, quint32> running = m_byRemote;
    if (!running.isEmpty())
        qWarning("feedback: feedbackd left the bus with %d feedback(s) running", int(running.size()));
    for (auto it = running.cbegin(); it != running.cend(); ++it)
        end(it.value(), ReasonFailed);
}

} // namespace Tarn
