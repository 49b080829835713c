#include "SIMSecurity.h"

#include <utility>

#include "CellularBackend.h"
#include "MmMapping.h"
#include "MmModem.h"
#include "OfonoMapping.h"
#include "OfonoModem.h"

#include "../DBusShape.h"
#include "../Trace.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QTimer>

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
    if (reply.errorName() == QLatin1String("org.freedesktop.ModemManager1.Error.Core.Unauthorized"))
        qWarning("SIM: ModemManager refused: the polkit action org.freedesktop.ModemManager1.Device.Control "
                 "must be granted");
    return SIMError(CellularBackend::isModemManager() ? MmMapping::simError(reply.errorName())
                                                      : OfonoMapping::simError(reply.errorName()));
}

QString mmModem()
{
    return QString::fromLatin1(MmModem::ModemInterface);
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
    , m_modem(CellularBackend::ofono())
    , m_mm(CellularBackend::modemManager())
{
    registerMetaTypes();
}

template <typename Done> void SIMSecurity::watch(const QDBusPendingCall& call, Done done)
{
    // The watcher reports exactly once and always from the event loop, also
    // for a call that failed before it was sent.
    // The tries as they were when the code went out: ModemManager may signal
    // the lowered count before or after its answer.
    const QVariantMap before = m_mm ? m_mm->properties(mmModem()) : QVariantMap();
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(
        watcher, &QDBusPendingCallWatcher::finished, this, [this, done, before](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            const QDBusMessage reply = w->reply();
            if (!m_mm || errorOf(reply) != WrongCode) {
                done(reply);
                return;
            }
            // ModemManager answers a refused code before it has read the lowered
            // tries back from the card: the completion waits for that (bounded,
            // for a modem that tells no tries), so a count asked for next is
            // already the new one.
            whenModemManager(
                [this, before] {
                    const QVariantMap now = m_mm->properties(mmModem());
                    return !m_mm->hasModem()
                        || now.value(QStringLiteral("UnlockRetries"))
                        != before.value(QStringLiteral("UnlockRetries"))
                        || now.value(QStringLiteral("UnlockRequired"))
                        != before.value(QStringLiteral("UnlockRequired"));
                },
                RetriesSettleMs, [done, reply] { done(reply); });
        });
}

template <typename Ready, typename Then>
void SIMSecurity::whenModemManager(Ready ready, int timeoutMs, Then then)
{
    if (ready()) {
        then();
        return;
    }
    auto* wait = new QObject(this);
    auto finish = [wait, then] {
        if (wait->property("done").toBool())
            return;
        wait->setProperty("done", true);
        wait->deleteLater();
        then();
    };
    connect(m_mm, &MmModem::stateChanged, wait, [ready, finish] {
        if (ready())
            finish();
    });
    QTimer::singleShot(timeoutMs, wait, finish);
}

QDBusPendingCall SIMSecurity::codeCall(const QString& method, bool typeValid, const QVariantList& args)
{
    if (!typeValid) {
        qWarning("SIM: %s with a code type other than the card's own", qPrintable(method));
        return OfonoModem::failedCall(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
            QStringLiteral("unsupported code type"));
    }
    if (m_mm)
        return m_mm->call(QString::fromLatin1(MmModem::SimInterface), method, args);
    return m_modem->call(simInterface(), method, args);
}

void SIMSecurity::verifyPIN(SIMSecurity::PINType type, const QString& pin)
{
    KTRACE() << type << "pin length:" << pin.size();
    enterPin(OfonoMapping::pinTypeName(type), pin);
}

void SIMSecurity::enterPin(const QString& name, const QString& pin)
{
    watch(m_mm ? codeCall(QStringLiteral("SendPin"), !name.isEmpty(), { pin })
               : codeCall(QStringLiteral("EnterPin"), !name.isEmpty(), { name, pin }),
        [this](const QDBusMessage& reply) {
            const SIMError error = errorOf(reply);
            Q_EMIT verifyPINComplete(error == NoError, error);
        });
}

void SIMSecurity::verifyPUK(SIMSecurity::PUKType type, const QString& puk, const QString& newPin)
{
    KTRACE() << type << "puk length:" << puk.size() << "new pin length:" << newPin.size();
    const QString name = OfonoMapping::pukTypeName(type);
    watch(m_mm ? codeCall(QStringLiteral("SendPuk"), !name.isEmpty(), { puk, newPin })
               : codeCall(QStringLiteral("ResetPin"), !name.isEmpty(), { name, puk, newPin }),
        [this](const QDBusMessage& reply) {
            const SIMError error = errorOf(reply);
            Q_EMIT verifyPUKComplete(error == NoError, error);
        });
}

void SIMSecurity::changePIN(SIMSecurity::PINType type, const QString& oldPin, const QString& newPin)
{
    KTRACE() << type << "old pin length:" << oldPin.size() << "new pin length:" << newPin.size();
    const QString name = OfonoMapping::pinTypeName(type);
    watch(m_mm ? codeCall(QStringLiteral("ChangePin"), !name.isEmpty(), { oldPin, newPin })
               : codeCall(QStringLiteral("ChangePin"), !name.isEmpty(), { name, oldPin, newPin }),
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
    watch(m_mm ? codeCall(QStringLiteral("EnablePin"), !name.isEmpty(), { pin, lock })
               : codeCall(lock ? QStringLiteral("LockPin") : QStringLiteral("UnlockPin"), !name.isEmpty(),
                   { name, pin }),
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
    if (m_mm) {
        const bool valid = !OfonoMapping::pinTypeName(type).isEmpty();
        watch(valid ? m_mm->get(mmModem(), QStringLiteral("UnlockRetries")) : codeCall(QString(), false, {}),
            [this](const QDBusMessage& reply) {
                SIMError error = errorOf(reply);
                const QVariant retries = error == NoError
                    ? MmModem::takeValue(reply, QStringLiteral("UnlockRetries"))
                    : QVariant();
                if (error == NoError && !retries.isValid())
                    error = OtherFailure;
                const int attempts = error == NoError
                    ? MmMapping::pinAttempts({ { QStringLiteral("UnlockRetries"), retries } })
                    : -1;
                KTRACE() << "attempts:" << attempts << "error:" << error;
                Q_EMIT pinAttemptsLeftComplete(attempts, error);
            });
        return;
    }
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
    if (m_mm) {
        // Right after an unlock ModemManager reads the card's locks again
        // (removing and re-adding the 3GPP interface): ask once that is done.
        whenModemManager(
            [this] {
                const int state = m_mm->properties(mmModem()).value(QStringLiteral("State")).toInt();
                return !m_mm->hasModem() || state == MmMapping::StateFailed
                    || state >= MmMapping::StateDisabled
                    || MmMapping::pinQuery(m_mm->properties(mmModem()), QVariant()) == QueryEnabled;
            },
            MmModem::CallTimeoutMs, [this, type] { mmPinQueryState(type); });
        return;
    }
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

void SIMSecurity::mmPinQueryState(int type)
{
    const bool valid = !OfonoMapping::pinTypeName(type).isEmpty();
    watch(valid ? m_mm->get(
              QString::fromLatin1(MmModem::Modem3gppInterface), QStringLiteral("EnabledFacilityLocks"))
                : codeCall(QString(), false, {}),
        [this](const QDBusMessage& reply) {
            // A card that asks for its code has its lock on, whatever the
            // 3GPP interface (not loaded while locked) says.
            const QVariantMap modem = m_mm->properties(mmModem());
            QVariant locks;
            SIMError error = errorOf(reply);
            if (error == NoError)
                locks = MmModem::takeValue(reply, QStringLiteral("EnabledFacilityLocks"));
            PINQuery state = PINQuery(MmMapping::pinQuery(modem, locks));
            error = state == QueryStateUnknown ? (error == NoError ? OtherFailure : error) : NoError;
            KTRACE() << "state:" << state << "error:" << error << "requests:" << m_pinQueryStateWaiters;
            for (int waiters = std::exchange(m_pinQueryStateWaiters, 0); waiters > 0; --waiters)
                Q_EMIT pinQueryStateComplete(state, error);
        });
}

} // namespace SIM
} // namespace Cellular
