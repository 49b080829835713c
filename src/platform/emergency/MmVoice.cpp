#include "MmVoice.h"

#include "../DBusShape.h"
#include "../Trace.h"
#include "../cellular/MmModem.h"

#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QVariantMap>

namespace Emergency {

using Cellular::MmModem;

namespace {

QString voice()
{
    return QString::fromLatin1(MmVoice::VoiceInterface);
}

} // namespace

MmVoice::MmVoice(QObject* parent)
    : QObject(parent)
{
    MmModem* modem = MmModem::instance();
    connect(modem, &MmModem::stateChanged, this, &MmVoice::onModemChanged);
    // Every call object's state, whichever modem it belongs to: calls come
    // and go with paths of their own. Checked in the slot.
    modem->bus().connect(QString::fromLatin1(MmModem::Service), QString(), QString::fromLatin1(CallInterface),
        QStringLiteral("StateChanged"), this, SLOT(onCallStateChanged(QDBusMessage)));
    onModemChanged();
}

void MmVoice::onModemChanged()
{
    MmModem* modem = MmModem::instance();
    if (modem->path() != m_modem) {
        KTRACE() << "modem" << modem->path();
        m_modem = modem->path();
        m_ours.clear();
        if (!m_active.isEmpty()) {
            // The modem took its calls with it.
            m_active.clear();
            Q_EMIT callDone();
        }
    }
    QStringList numbers = modem->properties(QString::fromLatin1(MmModem::SimInterface))
                              .value(QStringLiteral("EmergencyNumbers"))
                              .toStringList();
    numbers.removeAll(QString());
    if (numbers == m_numbers)
        return;
    m_numbers = numbers;
    KTRACE() << m_numbers;
    Q_EMIT numbersChanged();
}

void MmVoice::dial(const QString& number)
{
    KTRACE() << number;
    MmModem* modem = MmModem::instance();
    const QVariantMap properties { { QStringLiteral("number"), number } };
    auto* watcher = new QDBusPendingCallWatcher(
        modem->call(voice(), QStringLiteral("CreateCall"), { properties }), this);
    const QString path = m_modem;
    connect(
        watcher, &QDBusPendingCallWatcher::finished, this, [this, number, path](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            const QDBusMessage reply = w->reply();
            if (reply.type() == QDBusMessage::ErrorMessage) {
                qWarning("Emergency call to %s: no call created: %s %s", qPrintable(number),
                    qPrintable(reply.errorName()), qPrintable(reply.errorMessage()));
                Q_EMIT callFailed();
                return;
            }
            if (!DBusShape::expectShape(reply, QLatin1String("o"), "ModemManager Voice.CreateCall")) {
                Q_EMIT callFailed();
                return;
            }
            const QString call = reply.arguments().constFirst().value<QDBusObjectPath>().path();
            if (path != m_modem) {
                qWarning("Emergency call to %s: the modem went away", qPrintable(number));
                Q_EMIT callFailed();
                return;
            }
            m_ours.insert(call);
            start(call, number);
        });
}

void MmVoice::start(const QString& call, const QString& number)
{
    auto* watcher
        = new QDBusPendingCallWatcher(MmModem::instance()->call(call, QString::fromLatin1(CallInterface),
                                          QStringLiteral("Start"), {}, MmModem::CallTimeoutMs),
            this);
    connect(
        watcher, &QDBusPendingCallWatcher::finished, this, [this, call, number](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            const QDBusMessage reply = w->reply();
            if (reply.type() != QDBusMessage::ErrorMessage)
                return;
            qWarning("Emergency call to %s failed: %s %s", qPrintable(number), qPrintable(reply.errorName()),
                qPrintable(reply.errorMessage()));
            forget(call);
            Q_EMIT callFailed();
        });
}

void MmVoice::forget(const QString& call)
{
    if (!m_ours.remove(call))
        return;
    // Without this ModemManager keeps every ended call in the modem's list.
    MmModem::instance()->call(
        voice(), QStringLiteral("DeleteCall"), { QVariant::fromValue(QDBusObjectPath(call)) });
}

void MmVoice::onCallStateChanged(const QDBusMessage& message)
{
    if (!DBusShape::expectShape(message, QLatin1String("iiu"), "ModemManager Call.StateChanged"))
        return;
    const QString call = message.path();
    const int state = message.arguments().at(1).toInt();
    KTRACE() << call << "state" << state;
    const bool under = state >= CallDialing && state <= CallWaiting;
    if (under) {
        const bool first = m_active.isEmpty();
        m_active.insert(call);
        if (first)
            Q_EMIT callStarted();
        return;
    }
    if (state == CallTerminated)
        forget(call);
    if (m_active.remove(call) && m_active.isEmpty())
        Q_EMIT callDone();
}

} // namespace Emergency
