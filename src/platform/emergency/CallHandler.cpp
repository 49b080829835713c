#include "CallHandler.h"

#include "../DBusShape.h"
#include "../Trace.h"
#include "../cellular/CellularBackend.h"
#include "../cellular/OfonoMapping.h"
#include "../cellular/OfonoModem.h"
#include "EmergencyDialer.h"
#include "MmVoice.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace Emergency {

namespace {

const QStringList AlwaysEmergency { QStringLiteral("112"), QStringLiteral("911") };

QString vcm()
{
    return QString::fromLatin1(CallHandler::VoiceCallManagerInterface);
}

} // namespace

CallHandler::CallHandler(QObject* parent)
    : QObject(parent)
{
    if (Cellular::CellularBackend::isModemManager()) {
        m_mm = new MmVoice(this);
        connect(m_mm, &MmVoice::callStarted, this, &CallHandler::callStarted);
        connect(m_mm, &MmVoice::callDone, this, &CallHandler::callDone);
        connect(m_mm, &MmVoice::callFailed, this, &CallHandler::callFailed);
        connect(m_mm, &MmVoice::numbersChanged, this, [this] { takeNumbers(m_mm->numbers()); });
        takeNumbers(m_mm->numbers());
        return;
    }
    Cellular::OfonoModem* modem = Cellular::OfonoModem::instance();
    connect(modem, &Cellular::OfonoModem::modemChanged, this, &CallHandler::followModem);
    connect(modem, &Cellular::OfonoModem::modemPropertyChanged, this,
        [this](const QString& name, const QVariant&) {
            // The call manager comes and goes with the modem's power.
            if (name == QLatin1String("Interfaces") && Cellular::OfonoModem::instance()->hasInterface(vcm()))
                readProperties();
        });
    followModem(modem->path());
}

bool CallHandler::isEmergencyNumber(const QString& number) const
{
    if (number.isEmpty())
        return false;
    return AlwaysEmergency.contains(number) || m_modemNumbers.contains(number);
}

bool CallHandler::isCallActive() const
{
    return m_mm ? m_mm->isCallActive() : !m_calls.isEmpty();
}

QStringList CallHandler::emergencyNumbers() const
{
    QStringList numbers = AlwaysEmergency;
    for (const QString& n : m_modemNumbers)
        if (!numbers.contains(n))
            numbers << n;
    return numbers;
}

void CallHandler::followModem(const QString& path)
{
    QDBusConnection bus = Cellular::OfonoModem::instance()->bus();
    const QString service = QString::fromLatin1(Cellular::OfonoModem::Service);
    if (!m_path.isEmpty()) {
        bus.disconnect(
            service, m_path, vcm(), QStringLiteral("CallAdded"), this, SLOT(onCallAdded(QDBusMessage)));
        bus.disconnect(
            service, m_path, vcm(), QStringLiteral("CallRemoved"), this, SLOT(onCallRemoved(QDBusMessage)));
        bus.disconnect(service, m_path, vcm(), QStringLiteral("PropertyChanged"), this,
            SLOT(onPropertyChanged(QDBusMessage)));
    }
    KTRACE() << path;
    m_path = path;
    takeNumbers(QVariant());
    if (!m_calls.isEmpty()) {
        // The modem took its calls with it.
        m_calls.clear();
        Q_EMIT callDone();
    }
    if (m_path.isEmpty())
        return;
    // Taken as whole messages and checked here: Qt must never demarshal a
    // peer's arguments into types they do not have.
    bus.connect(service, m_path, vcm(), QStringLiteral("CallAdded"), this, SLOT(onCallAdded(QDBusMessage)));
    bus.connect(
        service, m_path, vcm(), QStringLiteral("CallRemoved"), this, SLOT(onCallRemoved(QDBusMessage)));
    bus.connect(service, m_path, vcm(), QStringLiteral("PropertyChanged"), this,
        SLOT(onPropertyChanged(QDBusMessage)));
    readProperties();
}

void CallHandler::readProperties()
{
    if (m_path.isEmpty())
        return;
    const QString path = m_path;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(Cellular::OfonoModem::Service), path, vcm(), QStringLiteral("GetProperties"));
    auto* watcher = new QDBusPendingCallWatcher(
        Cellular::OfonoModem::instance()->bus().asyncCall(call, CallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, path](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusMessage reply = w->reply();
        if (path != m_path)
            return;
        if (reply.type() == QDBusMessage::ErrorMessage) {
            // Normal while the modem is unpowered; 112 and 911 still work.
            KTRACE() << "no call manager:" << reply.errorName();
            return;
        }
        if (!DBusShape::expectShape(
                reply, QLatin1String("a{sv}"), "org.ofono.VoiceCallManager.GetProperties"))
            return;
        const QVariantMap props
            = Cellular::OfonoMapping::normalise(qdbus_cast<QVariantMap>(reply.arguments().constFirst()));
        takeNumbers(props.value(QStringLiteral("EmergencyNumbers")));
    });
}

void CallHandler::takeNumbers(const QVariant& value)
{
    QStringList numbers;
    if (value.canConvert<QStringList>())
        numbers = value.toStringList();
    else if (value.isValid())
        qWarning("oFono: EmergencyNumbers of an unexpected type %s ignored", value.typeName());
    numbers.removeAll(QString());
    if (numbers == m_modemNumbers)
        return;
    m_modemNumbers = numbers;
    KTRACE() << m_modemNumbers;
    Q_EMIT emergencyNumbersChanged();
}

void CallHandler::onPropertyChanged(const QDBusMessage& message)
{
    if (!DBusShape::expectShape(message, QLatin1String("sv"), "org.ofono.VoiceCallManager.PropertyChanged"))
        return;
    const QString name = message.arguments().at(0).toString();
    if (name == QLatin1String("EmergencyNumbers"))
        takeNumbers(Cellular::OfonoMapping::normalise(
            name, message.arguments().at(1).value<QDBusVariant>().variant()));
}

void CallHandler::onCallAdded(const QDBusMessage& message)
{
    if (!DBusShape::expectShape(message, QLatin1String("oa{sv}"), "org.ofono.VoiceCallManager.CallAdded"))
        return;
    const QString path = message.arguments().at(0).value<QDBusObjectPath>().path();
    const bool first = m_calls.isEmpty();
    m_calls.insert(path);
    KTRACE() << path << "calls:" << m_calls.size();
    if (first)
        Q_EMIT callStarted();
}

void CallHandler::onCallRemoved(const QDBusMessage& message)
{
    if (!DBusShape::expectShape(message, QLatin1String("o"), "org.ofono.VoiceCallManager.CallRemoved"))
        return;
    const QString path = message.arguments().at(0).value<QDBusObjectPath>().path();
    if (!m_calls.remove(path))
        return;
    KTRACE() << path << "calls:" << m_calls.size();
    if (m_calls.isEmpty())
        Q_EMIT callDone();
}

void CallHandler::startEmergencyCall(const QString& number)
{
    if (!isEmergencyNumber(number)) {
        // Whatever else was typed may be a code: only its length is logged.
        qWarning("Emergency call refused: not an emergency number (%lld digits)", qlonglong(number.size()));
        Q_EMIT callFailed();
        return;
    }
    if (m_mm) {
        m_mm->dial(number);
        return;
    }
    Cellular::OfonoModem* modem = Cellular::OfonoModem::instance();
    if (m_path.isEmpty()) {
        qWarning("Emergency call to %s impossible: no modem", qPrintable(number));
        Q_EMIT callFailed();
        return;
    }
    if (modem->modemProperties().value(QStringLiteral("Online")).toBool()) {
        dial(number);
        return;
    }
    // A modem in its pre-SIM or flight state must be online to call.
    KTRACE() << "putting the modem online first";
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(Cellular::OfonoModem::Service),
        m_path, QString::fromLatin1(Cellular::OfonoModem::ModemInterface), QStringLiteral("SetProperty"));
    call << QStringLiteral("Online") << QVariant::fromValue(QDBusVariant(true));
    auto* watcher = new QDBusPendingCallWatcher(modem->bus().asyncCall(call, CallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, number](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusMessage reply = w->reply();
        if (reply.type() != QDBusMessage::ReplyMessage) {
            qWarning("Emergency call to %s: the modem cannot go online: %s", qPrintable(number),
                qPrintable(reply.errorName()));
            Q_EMIT callFailed();
            return;
        }
        dial(number);
    });
}

void CallHandler::dial(const QString& number)
{
    KTRACE() << number;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(Cellular::OfonoModem::Service), m_path, vcm(), QStringLiteral("Dial"));
    call << number << QString();
    auto* watcher = new QDBusPendingCallWatcher(
        Cellular::OfonoModem::instance()->bus().asyncCall(call, CallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, number](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusMessage reply = w->reply();
        if (reply.type() != QDBusMessage::ReplyMessage) {
            qWarning("Emergency call to %s failed: %s %s", qPrintable(number), qPrintable(reply.errorName()),
                qPrintable(reply.errorMessage()));
            Q_EMIT callFailed();
        }
    });
}

QWidget* CallHandler::startDialerUi(QWidget* parent)
{
    auto* dialer = new EmergencyDialer(this, parent);
    dialer->appear();
    return dialer;
}

} // namespace Emergency
