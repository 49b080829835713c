#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QDBusMessage;
class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

namespace Tarn {

// Plays feedback events (sound, vibration, LED) through feedbackd
// (org.sigxcpu.Feedback on the session bus) for the application id "korvad".
//
// play() never waits for the bus: it hands out an id of its own at once and
// ties it to feedbackd's id when the reply comes. Every play ends with
// exactly one of the three end signals, always from the event loop: a
// feedbackd that is missing, refuses the event, does not answer within
// CallTimeoutMs or leaves the bus ends it with eventPlayError.
class FeedbackClient : public QObject
{
    Q_OBJECT
public:
    static constexpr int CallTimeoutMs = 3000;

    explicit FeedbackClient(QObject* parent = nullptr);

    // Starts the event once; returns a play id, never 0.
    quint32 play(const QString& event);
    // Ends a play, also one whose start feedbackd has not answered yet;
    // unknown or ended ids are ignored.
    void stop(quint32 id);

    static QString appId();

Q_SIGNALS:
    void eventPlayFinished(quint32 id);
    void eventPlayStopped(quint32 id);
    void eventPlayError(quint32 id);

private Q_SLOTS:
    void feedbackEnded(const QDBusMessage& message);

private:
    struct Play
    {
        QString event;
        quint32 remoteId = 0; // 0 until feedbackd answered
        bool stopRequested = false;
    };

    void triggerAnswered(quint32 id, QDBusPendingCallWatcher* watcher);
    void sendEnd(quint32 id, quint32 remoteId);
    void end(quint32 id, quint32 reason);
    void serviceGone();

    QHash<quint32, Play> m_plays; // our id -> play
    QHash<quint32, quint32> m_byRemote; // feedbackd id -> our id
    // Ends reported before the reply that names their id; kept only while
    // some start is still unanswered.
    QHash<quint32, quint32> m_earlyEnds;
    int m_unanswered = 0;
    quint32 m_lastId = 0;
    QDBusServiceWatcher* m_serviceWatcher;
};

} // namespace Tarn
