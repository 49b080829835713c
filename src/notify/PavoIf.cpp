#include "PavoIf.h"

#include <platform/DBusShape.h>
#include <platform/Trace.h>

#include <QDBusAbstractInterface>
#include <QDBusConnection>
#include <QDBusMessage>

namespace {

// A proxy that does not introspect the service when it is created: a hung
// service must cost one call timeout at start-up, not two.
class RequestProxy : public QDBusAbstractInterface
{
public:
    explicit RequestProxy(QObject* parent)
        : QDBusAbstractInterface(QLatin1String(PavoIf::Service), QLatin1String(PavoIf::RequestPath),
            PavoIf::RequestInterface, QDBusConnection::systemBus(), parent)
    {
        setTimeout(PavoIf::CallTimeoutMs);
    }
};

// Bit 0 is the master radio switch: set means the radios are on.
int offlineFromBits(uint bits)
{
    return (bits & 1u) ? 0 : 1;
}

QString errorText(const QDBusMessage& reply)
{
    return reply.errorName() + QLatin1Char(' ') + reply.errorMessage();
}

} // namespace

const char* const PavoIf::Service = "com.vexa.pavo";
const char* const PavoIf::RequestPath = "/com/vexa/pavo/request";
const char* const PavoIf::RequestInterface = "com.vexa.pavo.request";
const char* const PavoIf::SignalPath = "/com/vexa/pavo/signal";
const char* const PavoIf::SignalInterface = "com.vexa.pavo.signal";

PavoIf::PavoIf(QObject* parent)
    : QObject(parent)
{
    KTRACE();
    initIf();
}

void PavoIf::initIf()
{
    // Valid means the service has an owner on the bus right now.
    if (requestIf && requestIf->isValid())
        return;
    delete requestIf;
    requestIf = new RequestProxy(this);

    // Subscribing again after a restart of the service is harmless: the bus
    // connection refuses a duplicate of an existing subscription.
    QDBusConnection bus = QDBusConnection::systemBus();
    const bool offlineConnected
        = bus.connect(QLatin1String(Service), QLatin1String(SignalPath), QLatin1String(SignalInterface),
            QStringLiteral("radio_states_ind"), this, SLOT(doOfflineChanged(QDBusMessage)));
    qDebug() << "Offline connected:" << offlineConnected;
    const bool callingConnected
        = bus.connect(QLatin1String(Service), QLatin1String(SignalPath), QLatin1String(SignalInterface),
            QStringLiteral("sig_call_state_ind"), this, SLOT(doCallingChanged(QDBusMessage)));
    qDebug() << "Calling connected:" << callingConnected;
}

bool PavoIf::isOffline()
{
    if (m_offline == -1)
        checkOffline();
    KTRACE() << m_offline;
    return m_offline != 0;
}

bool PavoIf::isCalling()
{
    if (m_calling == -1)
        checkCalling();
    qDebug() << "m_calling:" << m_calling;
    return m_calling != 0;
}

void PavoIf::setOnline()
{
    KTRACE();
    initIf();
    const QDBusMessage reply
        = requestIf->call(QDBus::Block, QStringLiteral("req_radio_states_change"), 1u, 1u);
    switch (reply.type()) {
    case QDBusMessage::ReplyMessage:
        qDebug("Replied. Wait for status change.");
        break;
    case QDBusMessage::ErrorMessage:
        qWarning().noquote() << "Can't change offline status! Error:" << errorText(reply);
        break;
    default:
        qDebug() << "reply type:" << reply.type();
        break;
    }
}

void PavoIf::checkOffline()
{
    KTRACE();
    initIf();
    const QDBusMessage reply = requestIf->call(QDBus::Block, QStringLiteral("get_radio_states"));
    if (reply.type() == QDBusMessage::ErrorMessage) {
        qWarning().noquote() << "Can't get offline status! Error:" << errorText(reply);
        m_offline = 0;
    } else if (DBusShape::expectShape(reply, QLatin1String("u"), "com.vexa.pavo.request.get_radio_states")) {
        m_offline = offlineFromBits(reply.arguments().constFirst().toUInt());
    } else {
        // A reply that is not the bit mask (a string would read as 0, radios
        // off) is a failure like any other and counts as online.
        m_offline = 0;
    }
}

void PavoIf::doOfflineChanged(const QDBusMessage& message)
{
    if (!DBusShape::expectShape(message, QLatin1String("u"), "com.vexa.pavo.signal.radio_states_ind"))
        return;
    const uint s = message.arguments().constFirst().toUInt();
    m_offline = offlineFromBits(s);
    qDebug() << "Bit mask:" << s << "m_offline:" << m_offline;
    Q_EMIT offlineChanged(m_offline != 0);
}

void PavoIf::checkCalling()
{
    KTRACE();
    initIf();
    QString state = QStringLiteral("active");
    const QDBusMessage reply = requestIf->call(QDBus::Block, QStringLiteral("get_call_state"));
    if (reply.type() == QDBusMessage::ErrorMessage)
        qWarning().noquote() << "Can't get call status! Error:" << errorText(reply);
    else if (DBusShape::expectShape(reply, QLatin1String("s"), "com.vexa.pavo.request.get_call_state"))
        state = reply.arguments().constFirst().toString();
    m_calling = state == QLatin1String("none") ? 0 : 1;
}

void PavoIf::doCallingChanged(const QDBusMessage& message)
{
    if (!DBusShape::expectShape(message, QLatin1String("ss"), "com.vexa.pavo.signal.sig_call_state_ind"))
        return;
    const QString call = message.arguments().at(0).toString();
    const QString emergency = message.arguments().at(1).toString();
    m_calling = call == QLatin1String("none") ? 0 : 1;
    qDebug() << "call:" << call << "emergency:" << emergency << "m_calling:" << m_calling;
    Q_EMIT callingChanged(m_calling != 0);
}
