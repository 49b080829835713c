#include "Phone.h"

#include <XTools.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QString PinPath = u"/com/vexa/korva/pin"_s;
const QString PinInterface = u"com.vexa.korva.pin.PinCodeQuery"_s;
} // namespace

Phone::Phone(const QVariantMap& params, bool withOfono)
    : ofono(u"ofono_sim"_s, u"org.ofono"_s, MockService::SystemBus, params)
    , m_withOfono(withOfono)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    bus.connect(QString(), PinPath, PinInterface, u"PinQueryShown"_s, this, SLOT(shown()));
    bus.connect(QString(), PinPath, PinInterface, u"PinQueryDone"_s, this, SLOT(done(bool)));
    bus.connect(QString(), PinPath, PinInterface, u"PinQueryEnabled"_s, this, SLOT(enabled(int)));
    bus.connect(QString(), PinPath, PinInterface, u"PinQueryStateCompleted"_s, this, SLOT(state(int)));
    daemon.setFifo(fifo.path());
}

bool Phone::start(const QStringList& arguments, const char* service)
{
    if ((m_withOfono && !ofono.start()) || !daemon.start(arguments))
        return false;
    return !service || waitForService(QLatin1String(service));
}

bool Phone::waitForService(const QString& name)
{
    QDBusConnectionInterface* bus = QDBusConnection::systemBus().interface();
    return QTest::qWaitFor([&] { return bus->isServiceRegistered(name).value(); }, 20000);
}

bool Phone::send(const QString& service, const QString& method, const QVariantList& args)
{
    // korvad registers its services one by one: a call sent before its
    // service is there would be lost without a word.
    if (!waitForService(service))
        return false;
    QDBusMessage message = QDBusMessage::createMethodCall(service,
        QLatin1Char('/') + QString(service).replace(QLatin1Char('.'), QLatin1Char('/')), service, method);
    message.setArguments(args);
    return QDBusConnection::systemBus().send(message);
}

bool Phone::waitFor(const QString& signal, int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return m_seen.count(signal) >= count; }, timeoutMs);
}

QDBusMessage Phone::call(const QString& method, const QVariantList& args)
{
    QDBusMessage message
        = QDBusMessage::createMethodCall(QLatin1String(PinService), PinPath, PinInterface, method);
    message.setArguments(args);
    return QDBusConnection::systemBus().call(message, QDBus::Block, 10000);
}

int Phone::launch()
{
    // The daemon's user launches as the installed unit does, under the
    // policy's group rule.
    const QString user = qEnvironmentVariable("KORVA_RUN_AS");
    if (!user.isEmpty()) {
        QProcess busctl;
        busctl.start(u"setpriv"_s,
            { u"--reuid"_s, user, u"--regid"_s, user, u"--init-groups"_s, u"busctl"_s, u"--system"_s,
                u"call"_s, QLatin1String(PinService), PinPath, PinInterface, u"LaunchPinQuery"_s, u"s"_s,
                u"pin"_s });
        if (!busctl.waitForFinished(20000) || busctl.exitCode() != 0)
            return -1;
        const QByteArray out = busctl.readAllStandardOutput().trimmed();
        return out == "b true" ? 1 : out == "b false" ? 0 : -1;
    }
    const QDBusMessage reply = call(u"LaunchPinQuery"_s, { u"pin"_s });
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != "b"_L1)
        return -1;
    return reply.arguments().constFirst().toBool() ? 1 : 0;
}

QString Phone::page(bool wait)
{
    return XTools::findWindows(u"^korvad$"_s, wait).value(0);
}

bool Phone::enter(const QString& code)
{
    const QString window = page();
    return !window.isEmpty() && XTools::type(window, code) && XTools::key(window, u"Return"_s);
}

QString Phone::layer()
{
    return XTools::xprop(page(), u"_TARN_STACKING_LAYER"_s).section(QLatin1Char('='), 1).trimmed();
}

bool Phone::waitLog(const QString& text, int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return daemon.output().count(text) >= count; }, timeoutMs);
}

void Phone::expectDone(bool ok)
{
    QVERIFY2(waitFor(ok ? u"Done true"_s : u"Done false"_s),
        qPrintable(u"no PinQueryDone(%1), the page %2; signals: %3"_s.arg(
            ok ? "true" : "false", page(false).isEmpty() ? "closed" : "still up", seen().join(u", "_s))));
    QVERIFY(fifo.waitForTokens(2));
    QCOMPARE(fifo.tokens(), (QStringList { u"KORVA_READY"_s, u"PIN_CODE_DONE"_s }));
    QTRY_VERIFY(page(false).isEmpty());
    QVERIFY(daemon.ping());
    QCOMPARE(seen().filter(u"Done"_s).size(), 1);
    QVERIFY2(!daemon.output().contains("Could not parse"_L1), "the theme does not parse");
}

bool Phone::readySim(bool locked)
{
    if (!start() || !fifo.waitForTokens(1))
        return false;
    if (locked && !(launch() >= 0 && waitFor(u"Shown"_s) && enter(Pin) && waitFor(u"Done true"_s)))
        return false;
    return fifo.waitForTokens(2) && waitLog(u"new SimStateOk"_s)
        && QTest::qWaitFor([this] { return page(false).isEmpty(); }) && daemon.ping();
}

bool Phone::logKeepsSecret(const QStringList& codes)
{
    const QString log = daemon.output();
    return std::none_of(
        codes.cbegin(), codes.cend(), [&](const QString& code) { return log.contains(code); });
}
