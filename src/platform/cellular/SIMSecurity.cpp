#include "SIMSecurity.h"

#include <utility>

#include "OfonoMapping.h"
#include "OfonoModem.h"

#include "../DBusShape.h"
#include "../Trace.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

namespace Cellular {
namespace SIM {

namespace {

QString simInterface()
{
    return QString::fromLatin1(OfonoModem::SimInterface);
}

SIMError errorOf(const QDBusMessage& reply)
{
    if (reply.type() == QDBusMessage::ReplyMessage)
        return NoError;
    KTRACE() << reply.errorName();
    return SIMError(OfonoMapping::simError(reply.errorName()));
}

// SimManager properties from a GetProperties reply; an error when there are none.
SIMError simProperties(const QDBusMessage& reply, QVariantMap* properties)
{
    const SIMError error = errorOf(reply);
    if (error != NoError)
        return error;
    if (!DBusShape::expectShape(reply, QLatin1String("a{sv}"), "org.ofono.SimManager.GetProperties"))
        return OtherFailure;
    *properties = OfonoMapping::normalise(qdbus_cast<QVariantMap>(reply.arguments().constFirst()));
    return NoError;
}

} // namespace

SIMSecurity::SIMSecurity(QObject* parent)
    : QObject(parent)
    , m_modem(OfonoModem::instance())
{
    registerMetaTypes();
}

template <typename Done> void SIMSecurity::watch(const QDBusPendingCall& call, Done done)
{
    // The watcher reports exactly once and always from the event loop, also
    // for a call that failed before it was sent.
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [done](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        done(w->reply());
    });
}

QDBusPendingCall SIMSecurity::codeCall(const QString& method, bool typeValid, const QVariantList& args)
{
    if (!typeValid) {
        qWarning("SIM: %s with a code type other than the card's own", qPrintable(method));
        return OfonoModem::failedCall(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
            QStringLiteral("unsupported code type"));
    }
    return m_modem->call(simInterface(), method, args);
}

void SIMSecurity::verifyPIN(SIMSecurity::PINType type, const QString& pin)
{
    KTRACE() << type << "pin length:" << pin.size();
    enterPin(OfonoMapping::pinTypeName(type), pin);
}

void SIMSecurity::enterPin(const QString& name, const QString& pin)
{
    watch(codeCall(QStringLiteral("EnterPin"), !name.isEmpty(), { name, pin }),
        [this](const QDBusMessage& reply) {
            const SIMError error = errorOf(reply);
            Q_EMIT verifyPINComplete(error == NoError, error);
        });
}

void SIMSecurity::verifyPUK(SIMSecurity::PUKType type, const QString& puk, const QString& newPin)
{
    KTRACE() << type << "puk length:" << puk.size() << "new pin length:" << newPin.size();
    const QString name = OfonoMapping::pukTypeName(type);
    watch(codeCall(QStringLiteral("ResetPin"), !name.isEmpty(), { name, puk, newPin }),
        [this](const QDBusMessage& reply) {
            const SIMError error = errorOf(reply);
            Q_EMIT verifyPUKComplete(error == NoError, error);
        });
}

void SIMSecurity::changePIN(SIMSecurity::PINType type, const QString& oldPin, const QString& newPin)
{
    KTRACE() << type << "old pin length:" << oldPin.size() << "new pin length:" << newPin.size();
    const QString name = OfonoMapping::pinTypeName(type);
    watch(codeCall(QStringLiteral("ChangePin"), !name.isEmpty(), { name, oldPin, newPin }),
        [this](const QDBusMessage& reply) {
            const SIMError error = errorOf(reply);
            Q_EMIT changePINComplete(error == NoError, error);
        });
}

void SIMSecurity::enablePINQuery(SIMSecurity::PINType type, const QString& pin)
{
    KTRACE() << type << "pin length:" << pin.size();
    lockCall(type, pin, true);
}

void SIMSecurity::disablePINQuery(SIMSecurity::PINType type, const QString& pin)
{
    KTRACE() << type << "pin length:" << pin.size();
    lockCall(type, pin, false);
}

void SIMSecurity::lockCall(int type, const QString& pin, bool lock)
{
    const QString name = OfonoMapping::pinTypeName(type);
    watch(codeCall(
              lock ? QStringLiteral("LockPin") : QStringLiteral("UnlockPin"), !name.isEmpty(), { name, pin }),
        [this, lock](const QDBusMessage& reply) {
            const SIMError error = errorOf(reply);
            if (lock)
                Q_EMIT enablePINQueryComplete(error);
            else
                Q_EMIT disablePINQueryComplete(error);
        });
}

void SIMSecurity::pinAttemptsLeft(SIMSecurity::PINType type)
{
    KTRACE() << type;
    watch(codeCall(QStringLiteral("GetProperties"), !OfonoMapping::pinTypeName(type).isEmpty(), {}),
        [this](const QDBusMessage& reply) {
            QVariantMap sim;
            SIMError error = simProperties(reply, &sim);
            if (error == NoError && sim.value(QStringLiteral("Present")).toBool() == false)
                error = SimNotReady;
            const int attempts = error == NoError ? OfonoMapping::pinAttempts(sim) : -1;
            KTRACE() << "attempts:" << attempts << "error:" << error;
            Q_EMIT pinAttemptsLeftComplete(attempts, error);
        });
}

void SIMSecurity::pinQueryState(SIMSecurity::PINType type)
{
    KTRACE() << type;
    if (m_pinQueryStateWaiters++ > 0)
        return;
    watch(codeCall(QStringLiteral("GetProperties"), !OfonoMapping::pinTypeName(type).isEmpty(), {}),
        [this](const QDBusMessage& reply) {
            QVariantMap sim;
            SIMError error = simProperties(reply, &sim);
            PINQuery state = QueryStateUnknown;
            if (error == NoError) {
                state = PINQuery(OfonoMapping::pinQuery(sim));
                if (state == QueryStateUnknown)
                    error = SimNotReady;
            }
            KTRACE() << "state:" << state << "error:" << error << "requests:" << m_pinQueryStateWaiters;
            for (int waiters = std::exchange(m_pinQueryStateWaiters, 0); waiters > 0; --waiters)
                Q_EMIT pinQueryStateComplete(state, error);
        });
}

} // namespace SIM
} // namespace Cellular
