#pragma once

#include <QObject>

namespace SystemState {

// The lock of the touch screen and keys, kept by the device mode service
// (com.vexa.pavo, system bus). A request goes out as
// req_tklock_mode_change("unlocked" | "locked") on its request interface and
// never waits: the outcome arrives later as requestFinished().
class TouchScreenLock : public QObject
{
    Q_OBJECT
public:
    enum State { Unlocked = 0, Locked = 1 };
    Q_ENUM(State)

    explicit TouchScreenLock(QObject* parent = nullptr);

    // False when the request could not even be sent (no system bus).
    bool setState(State state);

    static QString modeName(State state);

Q_SIGNALS:
    // One per accepted setState(): true when the service took the request.
    void requestFinished(TouchScreenLock::State state, bool ok);
};

} // namespace SystemState
