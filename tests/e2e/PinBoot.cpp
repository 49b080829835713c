#include "PinBoot.h"

#include <XTools.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QTest>

namespace {
const QString Service = QStringLiteral("com.vexa.korva.pin");
const QString Path = QStringLiteral("/com/vexa/korva/pin");
const QString Interface = QStringLiteral("com.vexa.korva.pin.PinCodeQuery");
} // namespace

PinBoot::PinBoot(const QVariantMap& ofono)
    : ofono(QStringLiteral("ofono_sim"), QStringLiteral("org.ofono"), MockService::SystemBus, ofono)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    bus.connect(QString(), Path, Interface, QStringLiteral("PinQueryShown"), this, SLOT(shown()));
    bus.connect(QString(), Path, Interface, QStringLiteral("PinQueryDone"), this, SLOT(done(bool)));
    bus.connect(QString(), Path, Interface, QStringLiteral("PinQueryEnabled"), this, SLOT(enabled(int)));
    bus.connect(QString(), Path, Interface, QStringLiteral("PinQueryStateCompleted"), this, SLOT(state(int)));
    daemon.setFifo(fifo.path());
}

bool PinBoot::start(const QStringList& arguments, bool service)
{
    if (!ofono.start() || !daemon.start(arguments))
        return false;
    return !service || waitForService();
}

bool PinBoot::waitForService()
{
    QDBusConnectionInterface* bus = QDBusConnection::systemBus().interface();
    return QTest::qWaitFor([bus] { return bus->isServiceRegistered(Service).value(); }, 20000);
}

bool PinBoot::waitFor(const QString& signal, int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return m_seen.count(signal) >= count; }, timeoutMs);
}

QDBusMessage PinBoot::call(const QString& method, const QVariantList& args)
{
    QDBusMessage message = QDBusMessage::createMethodCall(Service, Path, Interface, method);
    message.setArguments(args);
    return QDBusConnection::systemBus().call(message, QDBus::Block, 10000);
}

int PinBoot::launch()
{
    const QDBusMessage reply = call(QStringLiteral("LaunchPinQuery"), { QStringLiteral("pin") });
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("b"))
        return -1;
    return reply.arguments().constFirst().toBool() ? 1 : 0;
}

QString PinBoot::page(bool wait)
{
    return XTools::findWindows(QStringLiteral("^korvad$"), wait).value(0);
}

bool PinBoot::enter(const QString& code)
{
    const QString window = page();
    if (window.isEmpty())
        return false;
    XTools::run(
        QStringLiteral("xdotool"), { QStringLiteral("windowfocus"), QStringLiteral("--sync"), window });
    int rc = -1;
    XTools::run(QStringLiteral("xdotool"),
        { QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), code }, &rc);
    return rc == 0 && XTools::key(window, QStringLiteral("Return"));
}

bool PinBoot::waitLog(const QString& text, int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return daemon.output().count(text) >= count; }, timeoutMs);
}

int PinBoot::logCount(const QString& text)
{
    return daemon.output().count(text);
}

bool PinBoot::logKeepsSecret(const QStringList& codes)
{
    const QString log = daemon.output();
    for (const QString& code : codes)
        if (log.contains(code))
            return false;
    return true;
}
