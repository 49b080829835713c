#include <Phone.h>
#include <XTools.h>

#include <platform/emergency/CallHandler.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

// korvad's exported methods called as a hostile peer would, floods, a
// stranger on the bus, and peers answering or signalling with types their
// interface does not promise: the daemon keeps answering, and each refusal
// is an error reply or one log line.
class TestHostile : public QObject
{
    Q_OBJECT

    // payload: the mock's code for a replaced reply (a string), the arguments
    // of a signal (a list), or nothing. Unless given, the refusal is derived.
    static void row(const char* name, const char* path, const char* iface, const char* member,
        const char* sig, const QVariant& payload, QString refusal = {})
    {
        if (refusal.isEmpty())
            refusal = u"%1.%2: expected arguments ("_s.arg(QLatin1String(iface), QLatin1String(member));
        if (!qstrcmp(sig, "sv"))
            refusal = u"property %1: expected a value"_s.arg(payload.toList().value(0).toString());
        QTest::newRow(name) << QVariant(path) << QVariant(iface) << QVariant(member) << QVariant(sig)
                            << payload << QVariant(refusal);
    }
    static void columns()
    {
        for (const char* c : { "path", "iface", "member", "sig", "payload", "refusal" })
            QTest::addColumn<QVariant>(c);
    }
    static QVariant args(const QVariantList& list) { return list; }
    static QVariant cell(const char* column)
    {
        return *static_cast<QVariant*>(QTest::qElementData(column, qMetaTypeId<QVariant>()));
    }

    // Replaces the reply (before) or sends the signal (after the client started).
    static bool provoke(MockService& mock, bool before, const QString& inSig = {})
    {
        const QVariant payload = cell("payload");
        const bool reply = payload.typeId() == QMetaType::QString;
        if (before != reply || !payload.isValid())
            return true;
        QVariantList call { cell("iface").toString(), cell("member").toString(), cell("sig").toString(),
            payload };
        if (reply)
            call.insert(2, inSig); // AddMethod(interface, name, in, out, code)
        const QString control = QLatin1String(reply ? "AddMethod" : "EmitSignal");
        return mock.control(cell("path").toString(), control, call).type() == QDBusMessage::ReplyMessage;
    }

    // Warnings of this process holding the current row's refusal.
    static inline int s_refusals = 0;
    static inline QtMessageHandler s_next = nullptr;
    static void count(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (type == QtWarningMsg && QTest::currentDataTag() && message.contains(cell("refusal").toString()))
            ++s_refusals;
        s_next(type, context, message);
    }

    QList<bool> m_roaming;
    QScopedPointer<MockService> m_callOfono { new MockService(
        "ofono_sim", "org.ofono", MockService::SystemBus) };

    // A method or a signal.
    struct Method
    {
        bool system;
        QString service, path, interface, name;
        QStringList in, out;
        bool noReply = false, signal = false;
    };

    static QDBusConnection bus(bool system)
    {
        return system ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
    }

    // The methods and signals an introspection text declares (D-Bus's own
    // interfaces left out), found at `where`'s bus, service and path.
    static void parse(
        const QString& text, const Method& where, QList<Method>& out, QStringList* children = nullptr)
    {
        QXmlStreamReader xml(text);
        QString interface;
        bool inMember = false;
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            const bool member = xml.name() == "method"_L1 || xml.name() == "signal"_L1;
            inMember &= !(token == QXmlStreamReader::EndElement && member);
            if (token != QXmlStreamReader::StartElement)
                continue;
            const auto attr
                = [&](const char* a) { return xml.attributes().value(QLatin1String(a)).toString(); };
            if (xml.name() == "node"_L1 && !attr("name").isEmpty() && children)
                *children << attr("name");
            else if (xml.name() == "interface"_L1)
                interface = attr("name");
            else if (member && !interface.startsWith("org.freedesktop.DBus."_L1)) {
                out.append(where);
                out.last().interface = interface;
                out.last().name = attr("name");
                out.last().signal = xml.name() == "signal"_L1;
                inMember = true;
            } else if (inMember && xml.name() == "arg"_L1)
                (attr("direction") == "out"_L1 && !out.last().signal ? out.last().out : out.last().in)
                    << attr("type");
            else if (inMember && attr("name") == "org.freedesktop.DBus.Method.NoReply"_L1)
                out.last().noReply = attr("value") == "true"_L1;
        }
    }

    // Every method and signal of the object at `path` and of those below it.
    static void introspect(bool system, const QString& service, const QString& path, QList<Method>& out)
    {
        const QDBusMessage reply = call(introspection(system, service, path));
        if (reply.signature() != "s"_L1)
            return;
        QStringList children;
        parse(reply.arguments().constFirst().toString(), { system, service, path, {}, {}, {}, {} }, out,
            &children);
        for (const QString& child : children)
            introspect(system, service, (path == "/"_L1 ? QString() : path) + QLatin1Char('/') + child, out);
    }

    // "interface.member(in)", and "->(out)" for a method's reply.
    static QSet<QString> signatures(const QList<Method>& members)
    {
        QSet<QString> all;
        for (const Method& m : members)
            all << m.interface + QLatin1Char('.') + m.name + u"(%1)"_s.arg(m.in.join(QString()))
                    + (m.signal ? QString() : u"->(%1)"_s.arg(m.out.join(QString())));
        return all;
    }

    // What korvad documents of its own services in data/dbus/.
    static QSet<QString> documented()
    {
        QList<Method> members;
        for (const char* name : { "com.vexa.korva.pin.PinCodeQuery", "com.vexa.korva_ui",
                 "com.vexa.korvad.Application", "com.vexa.oma_cp_ui" }) {
            QFile file(
                qEnvironmentVariable("KORVA_SOURCE_DIR") + u"/data/dbus/%1.xml"_s.arg(QLatin1String(name)));
            if (file.open(QIODevice::ReadOnly))
                parse(QString::fromUtf8(file.readAll()), Method(), members);
        }
        return signatures(members);
    }

    QSet<QString> m_heard;

    // A value of another D-Bus type than `type`.
    static QVariant wrongValue(const QString& type)
    {
        if (type == "as"_L1)
            return QVariant::fromValue(QDBusVariant(u"x"_s));
        return type == "s"_L1 ? QVariant(7) : QVariant(u"x"_s);
    }

    static QVariant sample(const QString& type, int variant)
    {
        static const QString huge(1 << 20, QLatin1Char('9'));
        if (type == "s"_L1)
            return QStringList { QString(), huge, u"line\nforged \x01\x1b[31m"_s, u"pin"_s }.value(
                variant % 4);
        if (type == "b"_L1)
            return bool(variant % 2);
        if (type == "i"_L1)
            return QList<int> { -1, 99999, INT_MIN, 0 }.value(variant % 4);
        if (type == "u"_L1)
            return QList<uint> { 0u, 99999u, UINT_MAX, 1u }.value(variant % 4);
        if (type == "as"_L1)
            return variant % 2 ? QStringList() : QStringList(100000, u"x"_s);
        return QVariant();
    }

    // A blocking call; `send`: sent without waiting, and nothing started for it.
    static QDBusMessage call(const Method& m, const QVariantList& args = {}, bool send = false)
    {
        QDBusMessage msg = QDBusMessage::createMethodCall(m.service, m.path, m.interface, m.name);
        msg.setArguments(args);
        msg.setAutoStartService(!send);
        if (send)
            return bus(m.system).send(msg) ? msg.createReply()
                                           : msg.createErrorReply(QDBusError::NoReply, u"not sent"_s);
        return bus(m.system).call(msg, QDBus::Block, 30000);
    }
    static Method introspection(bool system, const QString& service, const QString& path)
    {
        return { system, service, path, u"org.freedesktop.DBus.Introspectable"_s, u"Introspect"_s, {}, {} };
    }

    static QString dconfDump() { return XTools::run(u"dconf"_s, { u"dump"_s, u"/"_s }); }

    // The longest of ten round trips in a row through the daemon's GUI
    // thread on the system bus, queued behind what was sent before; 60 s
    // when one goes unanswered.
    static qint64 worstRoundTrip(const char* what)
    {
        qint64 worst = 0;
        const Method note { true, u"com.vexa.korva_ui"_s, u"/com/vexa/korva_ui"_s, u"com.vexa.korva_ui"_s,
            u"show_error_note"_s, {}, {} };
        for (int i = 0; i < 10; ++i) {
            QElapsedTimer timer;
            timer.start();
            const bool answered = call(note, { u"ping"_s }).type() == QDBusMessage::ReplyMessage;
            worst = qMax(worst, answered ? timer.elapsed() : 60000);
        }
        qInfo("%s: worst round trip %lld ms", what, worst);
        return worst;
    }

private Q_SLOTS:
    // Every signal of korvad's interfaces, whoever sends it, and a probe's.
    void initTestCase()
    {
        for (bool system : { true, false })
            for (const char* iface : { "com.vexa.korva.pin.PinCodeQuery", "com.vexa.korva_ui",
                     "com.vexa.oma_cp_ui", "com.vexa.korvad.Application", "org.example.Probe" })
                QVERIFY(
                    bus(system).connect({}, {}, QLatin1String(iface), {}, this, SLOT(heard(QDBusMessage))));
    }

    void everyMethod()
    {
        NotificationsMock notifications;
        FeedbackdMock feedbackd;
        QVERIFY(notifications.start() && feedbackd.start());
        Phone phone;
        DaemonProcess& daemon = phone.daemon;
        QVERIFY(phone.start());
        QVERIFY2(phone.fifo.waitForTokens(1) && daemon.ping(), qPrintable(daemon.output()));

        const QList<QPair<bool, QString>> services { { false, u"com.vexa.korvad"_s },
            { false, u"com.vexa.korva.settings"_s }, { true, u"com.vexa.korva.pin"_s },
            { true, u"com.vexa.korva_ui"_s }, { true, u"com.vexa.oma_cp_ui"_s } };
        // Exactly the documented members are exported: nothing internal (a
        // response slot, a helper, a signal between two of its objects) is
        // reachable or heard on a bus.
        const QSet<QString> declared = documented();
        QList<Method> methods;
        for (const auto& [system, service] : services) {
            QVERIFY2(bus(system).interface()->isServiceRegistered(service), qPrintable(service));
            introspect(system, service, u"/"_s, methods);
        }
        QCOMPARE(signatures(methods), declared);
        methods.removeIf([](const Method& m) { return m.signal; });
        const QString settingsBefore = dconfDump();
        const int windowsBefore = XTools::findWindows(u"."_s, false).size();

        // Refused calls first: they must leave no trace but an error reply.
        for (const Method& m : methods) {
            const QString what = m.service + QLatin1Char(' ') + m.path + QLatin1Char(' ') + m.name;
            // None (where some are due), each one of a wrong type, one too many.
            QList<QVariantList> refused(m.in.size() + 2);
            for (int i = 0; i < m.in.size(); ++i)
                for (int k = 1; k < refused.size(); ++k)
                    refused[k] << (k == i + 1 ? wrongValue(m.in[i]) : sample(m.in[i], 3));
            refused.last() << u"extra"_s;
            if (m.in.isEmpty())
                refused.removeFirst();
            for (const QVariantList& args : refused) {
                const QDBusMessage reply = call(m, args);
                QVERIFY2(reply.type() == QDBusMessage::ErrorMessage, qPrintable(what));
                QVERIFY2(reply.errorName() != "org.freedesktop.DBus.Error.NoReply"_L1, qPrintable(what));
            }
            QVERIFY2(daemon.ping(), qPrintable(what));
        }
        QCOMPARE(dconfDump(), settingsBefore);
        QCOMPARE(XTools::findWindows(u"."_s, false).size(), windowsBefore);

        // Then well-typed calls with hostile values, four rounds, so later
        // rounds reach the daemon while earlier ones keep pages and dialogs open.
        for (int round = 0; round < 4; ++round)
            for (const Method& m : methods) {
                if (m.name == "Release"_L1)
                    continue; // ends prestart; nothing hostile to send
                QVariantList args;
                for (const QString& type : m.in)
                    args << sample(type, round);
                const QDBusMessage reply = call(m, args, m.noReply);
                QVERIFY2(reply.errorName() != "org.freedesktop.DBus.Error.NoReply"_L1,
                    qPrintable(m.name + QLatin1Char(' ') + daemon.output().right(4000)));
                QVERIFY2(daemon.ping(),
                    qPrintable(m.name + u" round %1: "_s.arg(round) + daemon.output().right(3000)));
            }

        QVERIFY(daemon.ping());
        // A round trip on the system bus: its signals sent before are here.
        QCOMPARE(
            call(introspection(true, u"com.vexa.korva_ui"_s, u"/"_s)).type(), QDBusMessage::ReplyMessage);
        QCoreApplication::processEvents();
        QVERIFY(!m_heard.isEmpty());
        QCOMPARE(m_heard - declared, QSet<QString>());
        QCOMPARE(daemon.process().state(), QProcess::Running);
        daemon.stop();
        // A huge value from a peer never becomes a huge log line.
        for (const QString& line : daemon.output().split(QLatin1Char('\n')))
            QVERIFY2(line.size() < 8192, qPrintable(line.left(200)));
    }

    // Floods from an allowed caller and peers that never answer: the screen
    // holds a bounded number of windows, and the daemon keeps answering.
    void floodsStayBounded()
    {
        constexpr qint64 Responsive = 3000;
        QVariantList connections;
        QStringList ids;
        for (int i = 0; i < 10; ++i)
            connections << QVariant(
                QVariantList { u"GPRS"_s, 0, ids.emplaceBack(u"c%1"_s.arg(i)), u"GPRS"_s, 0, u"net"_s, 2 });
        MockService nexo(u"nexo2"_s, u"com.vexa.nexo2"_s, MockService::SystemBus,
            { { u"connections"_s, connections }, { u"answer"_s, u"hang_disconnect"_s } });
        QVERIFY(nexo.start());
        Phone phone({ { u"pin_locked"_s, false } });
        QVERIFY(phone.start({ u"-log"_s }, "com.vexa.korva_ui"));
        DaemonProcess& daemon = phone.daemon;

        // Access-point names far past a selector's line are refused at once.
        QVERIFY(Phone::send(u"com.vexa.oma_cp_ui"_s, u"iap_select_req"_s,
            { QStringList(100, QString(100000, QLatin1Char('n'))), QStringList() }));
        QVERIFY(worstRoundTrip("iap_select_req of long names") < Responsive);
        QVERIFY(daemon.waitForOutput(u"longer than 256"_s) > 0);
        QVERIFY(XTools::findWindows(u"^Connection settings$"_s, false).isEmpty());

        // No notification server: each text falls back to a banner, one on screen.
        const QStringList types { u"settings_received"_s, u"settings_received_updated"_s,
            u"settings_updated"_s, u"pin_failed"_s };
        for (int i = 0; i < 3000; ++i)
            QVERIFY(Phone::send(u"com.vexa.oma_cp_ui"_s, u"notification_req"_s, { types.at(i % 4) }));
        QVERIFY(worstRoundTrip("3000 banners") < Responsive);
        const QString banners = u"^(Connection settings received|Access points saved|Incorrect PIN)"_s;
        QCOMPARE(XTools::findWindows(banners, false).size(), 1);

        // A hung notification server holds up nothing.
        NotificationsMock notifications;
        QVERIFY(notifications.start() && notifications.freeze(true));
        for (int i = 0; i < 40; ++i)
            QVERIFY(Phone::send(u"com.vexa.oma_cp_ui"_s, u"notification_req"_s, { types.at(i % 4) }));
        QVERIFY(worstRoundTrip("40 notifications, server hung") < Responsive);
        QVERIFY(notifications.freeze(false));

        // Nor a connectivity daemon that never answers a disconnection: all
        // ten go out at once, in the order reported.
        QVERIFY(Phone::send(u"com.vexa.korva_ui"_s, u"show_error_note"_s, { u"home_notification"_s }));
        const QStringList dialog = XTools::findWindows(u"^Data limit reached"_s, true);
        QCOMPARE(dialog.size(), 1);
        QVERIFY(XTools::pressDialogButton(dialog.first(), false));
        QVERIFY(daemon.waitForOutput(u"nums: 10"_s) > 0);
        QVERIFY(worstRoundTrip("10 disconnections unanswered") < Responsive);
        const auto asked = [&nexo] {
            QStringList asked;
            for (const QVariantList& call : nexo.calls(u"/com/vexa/nexo2"_s, u"disconnect_req"_s))
                asked << call.value(3).toString();
            return asked;
        };
        QTRY_COMPARE(asked(), ids);
    }

    // Peers that misbehave while a query runs: oFono leaving the bus in the
    // middle of a PIN check, and feedbackd reporting the end of ten thousand
    // feedbacks nobody asked for.
    void peersVanishAndFlood()
    {
        FeedbackdMock feedbackd;
        QVERIFY(feedbackd.start());
        Phone boot({ { u"pin"_s, u"13572468"_s } });
        QVERIFY(boot.start());
        QCOMPARE(boot.launch(), 1);
        QVERIFY(boot.waitFor(u"Shown"_s));

        feedbackd.control(u"/org/sigxcpu/Feedback"_s, u"FinishRange"_s, { 50000u, 10000u });
        QVERIFY(boot.daemon.ping());

        QVERIFY(boot.ofono.step(u"ExitOnNextCall:EnterPin"_s));
        QVERIFY(boot.enter(u"13572468"_s));
        QVERIFY(boot.waitFor(u"Done false"_s));
        QVERIFY(boot.daemon.ping());
        QCOMPARE(boot.seen().count(u"Done false"_s), 1);
        QVERIFY(!boot.seen().contains(u"Done true"_s));
        QVERIFY(boot.logKeepsSecret({ u"13572468"_s }));
    }

    void heard(const QDBusMessage& signal)
    {
        m_heard << signal.interface() + QLatin1Char('.') + signal.member()
                + u"(%1)"_s.arg(signal.signature());
    }

    // A second user, outside the korvad group, on the enforcing bus: the PIN
    // query is for the start-up sequence and the phone's user, the data
    // counter's questions and the provisioning sheets for root's services to
    // ask, and signals shaped like korvad's answers are korvad's to send.
    void secondUser()
    {
        Phone phone;
        QVERIFY(phone.start());
        const auto asNobody = [](const QStringList& command) {
            QProcess process;
            XTools::startAsNobody(process, command);
            process.waitForFinished(20000);
            return process.readAllStandardError() + process.readAllStandardOutput();
        };
        const QList<QStringList> calls { { u"com.vexa.korva_ui"_s, u"show_roaming_dlg"_s },
            { u"com.vexa.korva_ui"_s, u"show_error_note"_s, u"home_notification"_s },
            { u"com.vexa.oma_cp_ui"_s, u"iap_select_req"_s, u"['a']"_s, u"['b']"_s },
            { u"com.vexa.oma_cp_ui"_s, u"pin_query_req"_s, u"false"_s },
            { u"com.vexa.oma_cp_ui"_s, u"notification_req"_s, u"settings_received"_s },
            { u"com.vexa.korva.pin"_s, u"PinCodeQuery.LaunchPinQuery"_s, u"pin"_s } };
        for (const QStringList& c : calls) {
            const QString path = QLatin1Char('/') + QString(c[0]).replace(QLatin1Char('.'), QLatin1Char('/'));
            const QByteArray answer
                = asNobody(QStringList { u"gdbus"_s, u"call"_s, u"--system"_s, u"--dest"_s, c[0],
                               u"--object-path"_s, path, u"--method"_s, c[0] + QLatin1Char('.') + c[1] }
                    + c.mid(2));
            QVERIFY2(answer.contains("AccessDenied"), qPrintable(c[1] + u": "_s + QString::fromUtf8(answer)));
        }

        // Forged answers, then a harmless signal from the same connection:
        // once that is here, the forged ones would have been too.
        const QByteArray sent = asNobody({ u"/usr/bin/python3"_s, u"-c"_s, uR"(import dbus
bus = dbus.SystemBus()
for iface, member, sig, args in [
        ('com.vexa.korva.pin.PinCodeQuery', 'PinQueryDone', 'b', [True]),
        ('com.vexa.korva.pin.PinCodeQuery', 'PinQueryEnabled', 'i', [0]),
        ('com.vexa.oma_cp_ui', 'pin_sig', 's', ['1234']),
        ('com.vexa.oma_cp_ui', 'iap_selected', 'ss', ['a', 'b']),
        ('com.vexa.korva_ui', 'roaming', 'b', [True]),
        ('org.example.Probe', 'End', '', [])]:
    msg = dbus.lowlevel.SignalMessage('/' + iface.replace('.', '/'), iface, member)
    if sig:
        msg.append(*args, signature=sig)
    bus.send_message(msg)
bus.flush()
print('sent'))"_s });
        QVERIFY2(sent.contains("sent"), sent.constData());
        QTRY_VERIFY(m_heard.contains(u"org.example.Probe.End()"_s));
        QCOMPARE(m_heard, QSet<QString> { u"org.example.Probe.End()"_s });
        QVERIFY(phone.daemon.ping());
    }

    // Other programs' questions take neither the input nor the place of the
    // boot's PIN page: one already open steps aside when the page comes, a
    // new one waits, and both come up once the PIN has been taken.
    void questionsWaitForPinPage()
    {
        Phone boot({ { u"pin"_s, u"2468"_s } });
        QVERIFY(boot.start());
        QVERIFY(QDBusConnection::systemBus().connect(u"com.vexa.korva_ui"_s, u"/com/vexa/korva_ui"_s,
            u"com.vexa.korva_ui"_s, u"roaming"_s, this, SLOT(onRoaming(bool))));
        const QString roaming = u"Allow data roaming"_s;
        QVERIFY(Phone::send(u"com.vexa.korva_ui"_s, u"show_roaming_dlg"_s));
        QCOMPARE(XTools::findWindows(roaming, true).size(), 1);
        QCOMPARE(boot.launch(), 1);
        QVERIFY(boot.waitFor(u"Shown"_s));
        QVERIFY(Phone::send(u"com.vexa.oma_cp_ui"_s, u"pin_query_req"_s, { false }));
        QVERIFY(boot.waitLog(u"appearSystemwide"_s));
        const QString questions = roaming + u"|^Settings PIN code$"_s;
        QVERIFY(XTools::findWindows(questions, false).isEmpty());

        QVERIFY(boot.enter(u"2468"_s));
        QVERIFY2(boot.waitFor(u"Done true"_s), qPrintable(boot.daemon.output().right(3000)));
        QTRY_COMPARE(XTools::findWindows(questions, false).size(), 2);
        QVERIFY(XTools::key(XTools::findWindows(roaming, false).value(0), u"Return"_s));
        QTRY_COMPARE(m_roaming, QList<bool> { true });
    }
    void onRoaming(bool yes) { m_roaming << yes; }

    void init()
    {
        m_heard.clear();
        s_refusals = 0;
        s_next = qInstallMessageHandler(count);
    }
    void cleanup() { qInstallMessageHandler(s_next); }

    // Against the daemon; the peer follows from the interface.
    void againstDaemon_data()
    {
        columns();
        const auto m = "org.ofono.Manager";
        const auto r0 = "/ril_0";
        row("GetModems a(os)", "/", m, "GetModems", "a(os)", "ret = [(dbus.ObjectPath('/ril_0'), 'x')]");
        row("SIM properties as", r0, "org.ofono.SimManager", "GetProperties", "as", "ret = ['Present']");
        row("ModemAdded without properties", "/", m, "ModemAdded", "o",
            args({ QVariant::fromValue(QDBusObjectPath("/ril_1")) }));
        row("ModemRemoved of a string", "/", m, "ModemRemoved", "s", args({ r0 }));
        row("Retries a string", r0, "org.ofono.SimManager", "PropertyChanged", "sv",
            args({ "Retries", "3" }));
        row("registration change of strings", r0, "org.ofono.NetworkRegistration", "PropertyChanged", "ss",
            args({ "Status", "denied" }));
        // Anyone may own the feedback name while feedbackd is away.
        const auto feedback = "/org/sigxcpu/Feedback";
        row("FeedbackEnded of a string", feedback, "org.sigxcpu.Feedback", "FeedbackEnded", "s",
            args({ "x" }));
        row("TriggerFeedback answering a string", feedback, "org.sigxcpu.Feedback", "TriggerFeedback", "s",
            "ret = 'x'");
        // No payload: the member names pavo's way of answering.
        row("radio states a string", "", "com.vexa.pavo", "wrongtype", "", {},
            "get_radio_states: expected arguments (u), got (s)");
        // Bounded: the daemon answers within the ping's wait, not after 25 s.
        row("hung service", "", "com.vexa.pavo", "hang", "", {},
            "offline status! Error: org.freedesktop.DBus.Error.NoReply");
        row("radio states signal of a string", "/com/vexa/pavo/signal", "com.vexa.pavo.signal",
            "radio_states_ind", "s", args({ "1" }));
        row("call state signal of one string", "/com/vexa/pavo/signal", "com.vexa.pavo.signal",
            "sig_call_state_ind", "s", args({ "none" }));
    }

    void againstDaemon()
    {
        const QString iface = cell("iface").toString();
        const bool feedback = iface.startsWith("org.sigxcpu"_L1);
        const bool pavo = iface.startsWith("com.vexa.pavo"_L1);
        const bool reply = cell("payload").typeId() == QMetaType::QString;
        // A ready SIM, so that the registration is followed too; beside
        // feedbackd a modem that cannot be powered: only that zombie plays at
        // start, only the core keeps listening.
        MockService ofono("ofono_sim", "org.ofono", MockService::SystemBus,
            { { feedback ? "power_fails" : "pin_locked", feedback } });
        QVERIFY(pavo || (feedback && !reply) || ofono.start());
        MockService peer(feedback ? "feedbackd" : "pavo", feedback ? "org.sigxcpu.Feedback" : "com.vexa.pavo",
            feedback ? MockService::SessionBus : MockService::SystemBus,
            cell("payload").isValid() ? QVariantMap {} : QVariantMap { { "answer", cell("member") } });
        QVERIFY(!(feedback || pavo) || peer.start());
        MockService& mock = feedback || pavo ? peer : ofono;

        const QString refusal = cell("refusal").toString();
        QVERIFY(provoke(mock, true, feedback ? "ssa{sv}i" : ""));
        DaemonProcess daemon;
        QVERIFY(daemon.start());
        QVERIFY2(daemon.ping(), qPrintable(daemon.output()));
        QVERIFY(provoke(mock, false));
        QVERIFY2(daemon.waitForOutput(refusal) > 0, qPrintable(daemon.output()));
        QVERIFY(daemon.ping());
        QCOMPARE(daemon.output().count(refusal), 1);
    }

    // Not used by the daemon at start: checked in this process. Its modem
    // client lives as long as the process, so does one oFono; the reply row
    // comes last, its replacement stays.
    void voiceCallManager_data()
    {
        columns();
        const auto r0 = "/ril_0";
        const auto vcm = "org.ofono.VoiceCallManager";
        row("EmergencyNumbers a string", r0, vcm, "PropertyChanged", "sv",
            args({ "EmergencyNumbers", "999" }));
        row("CallAdded without properties", r0, vcm, "CallAdded", "o",
            args({ QVariant::fromValue(QDBusObjectPath(r0)) }));
        row("properties as a list", r0, vcm, "GetProperties", "as", "ret = ['112']");
    }

    void voiceCallManager()
    {
        MockService& ofono = *m_callOfono;
        QVERIFY(ofono.bus().interface()->isServiceRegistered("org.ofono") || ofono.start());
        QVERIFY(provoke(ofono, true));
        Emergency::CallHandler handler;
        QTRY_VERIFY(handler.emergencyNumbers().contains("999") || s_refusals);
        QVERIFY(provoke(ofono, false));
        QTRY_COMPARE(s_refusals, 1);
        QVERIFY(!handler.isCallActive());
    }
};

QTEST_GUILESS_MAIN(TestHostile)
#include "tst_hostile.moc"
