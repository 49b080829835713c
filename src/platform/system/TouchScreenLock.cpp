#include "TouchScreenLock.h"

#include "../Trace.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace SystemState {

TouchScreenLock::TouchScreenLock(QObject* parent)
    : QObject(parent)
{
}

QString TouchScreenLock::modeName(State state)
{
    return state == Unlocked ? QStringLiteral("unlocked") : QStringLiteral("locked");
}

bool TouchScreenLock::setState(State state)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        qWarning() << "Touch screen lock: no system bus:" << bus.lastError().message();
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("com.vexa.pavo"),
        QStringLiteral("/com/vexa/pavo/request"), QStringLiteral("com.vexa.pavo.request"),
        QStringLiteral("req_tklock_mode_change"));
    call << modeName(state);
    KTRACE() << modeName(state);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, state](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<> reply = *w;
        w->deleteLater();
        if (reply.isError())
            qWarning().noquote() << "Touch screen lock: can't set" << modeName(state)
                                 << "Error:" << reply.error().name() << reply.error().message();
        else
            qDebug().noquote() << "Touch screen lock:" << modeName(state);
        Q_EMIT requestFinished(state, !reply.isError());
    });
    return true;
}

} // namespace SystemState
