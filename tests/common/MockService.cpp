#include "MockService.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;

MockService::MockService(
    const QString& templateName, const QString& busName, Bus bus, const QVariantMap& parameters)
    : m_template(templateName)
    , m_busName(busName)
    , m_bus(bus)
    , m_parameters(parameters)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

MockService::~MockService()
{
    stop();
}

QDBusConnection MockService::bus() const
{
    return m_bus == SystemBus ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
}

bool MockService::start()
{
    QStringList args { u"-m"_s, u"dbusmock"_s, u"--template"_s,
        qEnvironmentVariable("KORVA_SOURCE_DIR") + u"/tests/mocks/"_s + m_template + u".py"_s };
    if (m_bus == SystemBus)
        args << u"--system"_s;
    if (!m_parameters.isEmpty())
        args << u"-p"_s
             << QString::fromUtf8(
                    QJsonDocument(QJsonObject::fromVariantMap(m_parameters)).toJson(QJsonDocument::Compact));

    m_process.start(u"/usr/bin/python3"_s, args);
    if (m_process.waitForStarted() && QTest::qWaitFor([this] { return registered(); }, 15000))
        return true;
    qWarning("mock %s did not come up: %s", qPrintable(m_template), m_process.readAll().constData());
    return false;
}

bool MockService::freeze(bool frozen)
{
    return m_process.state() == QProcess::Running
        && ::kill(pid_t(m_process.processId()), frozen ? SIGSTOP : SIGCONT) == 0;
}

void MockService::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    freeze(false);
    m_process.terminate();
    m_process.waitForFinished(5000);
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
    // The name must be free before the next test starts its own mock.
    if (!QTest::qWaitFor([this] { return !registered(); }, 5000))
        qWarning("mock %s still owns %s", qPrintable(m_template), qPrintable(m_busName));
}

bool MockService::registered() const
{
    return bus().interface()->isServiceRegistered(m_busName).value();
}

QDBusMessage MockService::control(
    const QString& path, const QString& method, const QVariantList& args, const QString& interface)
{
    QDBusMessage call = QDBusMessage::createMethodCall(m_busName, path, interface, method);
    call.setArguments(args);
    return bus().call(call, QDBus::Block, 10000);
}

bool MockService::step(const QString& step)
{
    QStringList parts = step.split(QLatin1Char(':'));
    const QString method = parts.takeFirst();
    QVariantList args;
    for (const QString& part : parts) {
        bool isNumber = false;
        const uint number = part.toUInt(&isNumber);
        args << (part == "true"_L1 || part == "false"_L1 ? QVariant(part == "true"_L1)
                : !isNumber                              ? QVariant(part)
                : method == "SetRetries"_L1              ? QVariant::fromValue(uchar(number))
                                                         : QVariant(number));
    }
    const QDBusMessage reply = control(u"/"_s, method, args);
    if (reply.type() != QDBusMessage::ReplyMessage)
        qWarning("%s: %s", qPrintable(step), qPrintable(reply.errorMessage()));
    return reply.type() == QDBusMessage::ReplyMessage;
}

QList<QVariantList> MockService::calls(const QString& path, const QString& method)
{
    QList<QVariantList> result;
    const QDBusMessage reply = control(path, u"GetMethodCalls"_s, { method });
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return result;
    // a(tav): timestamp and the arguments of each call
    const QDBusArgument arg = reply.arguments().constFirst().value<QDBusArgument>();
    arg.beginArray();
    while (!arg.atEnd()) {
        quint64 timestamp = 0;
        QVariantList callArgs;
        arg.beginStructure();
        arg >> timestamp;
        arg.beginArray();
        while (!arg.atEnd()) {
            QDBusVariant v;
            arg >> v;
            callArgs << v.variant();
        }
        arg.endArray();
        arg.endStructure();
        result << callArgs;
    }
    arg.endArray();
    return result;
}

void MockService::clearCalls(const QString& path)
{
    control(path, u"ClearCalls"_s);
}

QStringList NotificationsMock::shown()
{
    QStringList texts;
    for (const QVariantList& call : notes())
        texts << call.value(3).toString() + call.value(4).toString() + QLatin1Char('|')
                + qdbus_cast<QVariantMap>(call.value(6)).value(u"category"_s).toString();
    return texts;
}

QStringList NotificationsMock::shown(DaemonProcess& daemon, int count)
{
    // Too few notes show in the caller's comparison.
    (void)QTest::qWaitFor([&] { return notes().size() >= count; }, 20000);
    return daemon.ping() ? shown() : QStringList { u"the daemon does not answer"_s };
}

QStringList FeedbackdMock::playing()
{
    // feedbackd's ids count from 1000 in the order of the events.
    const QStringList names = events();
    QStringList result;
    const QDBusMessage reply = control(u"/org/sigxcpu/Feedback"_s, u"GetRunning"_s);
    for (const uint id : qdbus_cast<QList<uint>>(reply.arguments().value(0)))
        result << names.value(int(id) - 1000);
    return result;
}
