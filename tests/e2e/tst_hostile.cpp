#include <Phone.h>
#include <XTools.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QTest>
#include <QXmlStreamReader>

// Every method of every object korvad exports, on both buses, called as a
// hostile peer would: no arguments, wrong types, an extra argument, empty,
// huge and unknown values, also while its windows are open. Whatever comes,
// the daemon keeps answering, refuses wrong types with an error reply, opens
// nothing and changes no setting for a call it refuses, and logs no line of
// unbounded length.
class TestHostile : public QObject
{
    Q_OBJECT

    struct Method
    {
        bool system;
        QString service, path, interface, name;
        QStringList in;
        bool noReply = false;
    };

    static QDBusConnection bus(bool system)
    {
        return system ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
    }

    // Every method of the object at `path` and of those below it.
    static void introspect(bool system, const QString& service, const QString& path, QList<Method>& out)
    {
        const QDBusMessage reply = bus(system).call(QDBusMessage::createMethodCall(service, path,
            QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect")));
        if (reply.signature() != QLatin1String("s"))
            return;
        QXmlStreamReader xml(reply.arguments().constFirst().toString());
        QString interface;
        QStringList children;
        bool inMethod = false;
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            inMethod &= !(token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("method"));
            if (token != QXmlStreamReader::StartElement)
                continue;
            const auto attr
                = [&](const char* a) { return xml.attributes().value(QLatin1String(a)).toString(); };
            if (xml.name() == QLatin1String("node") && !attr("name").isEmpty())
                children << attr("name");
            else if (xml.name() == QLatin1String("interface"))
                interface = attr("name");
            else if (xml.name() == QLatin1String("method")
                && !interface.startsWith(QLatin1String("org.freedesktop.DBus."))) {
                out.append({ system, service, path, interface, attr("name"), {} });
                inMethod = true;
            } else if (inMethod && xml.name() == QLatin1String("arg")
                && attr("direction") != QLatin1String("out"))
                out.last().in << attr("type");
            else if (inMethod && attr("name") == QLatin1String("org.freedesktop.DBus.Method.NoReply"))
                out.last().noReply = attr("value") == QLatin1String("true");
        }
        for (const QString& child : children)
            introspect(system, service,
                (path == QLatin1String("/") ? QString() : path) + QLatin1Char('/') + child, out);
    }

    // A value of another D-Bus type than `type`.
    static QVariant wrongValue(const QString& type)
    {
        if (type == QLatin1String("as"))
            return QVariant::fromValue(QDBusVariant(QStringLiteral("x")));
        return type == QLatin1String("s") ? QVariant(7) : QVariant(QStringLiteral("x"));
    }

    static QVariant sample(const QString& type, int variant)
    {
        static const QString huge(1 << 20, QLatin1Char('9'));
        if (type == QLatin1String("s"))
            return QStringList { QString(), huge, QStringLiteral("line\nforged \x01\x1b[31m"),
                QStringLiteral("pin") }
                .value(variant % 4);
        if (type == QLatin1String("b"))
            return bool(variant % 2);
        if (type == QLatin1String("i"))
            return QList<int> { -1, 99999, INT_MIN, 0 }.value(variant % 4);
        if (type == QLatin1String("u"))
            return QList<uint> { 0u, 99999u, UINT_MAX, 1u }.value(variant % 4);
        if (type == QLatin1String("as"))
            return variant % 2 ? QStringList() : QStringList(100000, QStringLiteral("x"));
        return QVariant();
    }

    static QDBusMessage call(const Method& m, const QVariantList& args)
    {
        QDBusMessage msg = QDBusMessage::createMethodCall(m.service, m.path, m.interface, m.name);
        msg.setArguments(args);
        return bus(m.system).call(msg, QDBus::Block, 30000);
    }

    static QString dconfDump()
    {
        return XTools::run(QStringLiteral("dconf"), { QStringLiteral("dump"), QStringLiteral("/") });
    }

private Q_SLOTS:
    void everyMethod()
    {
        NotificationsMock notifications;
        FeedbackdMock feedbackd;
        QVERIFY(notifications.start() && feedbackd.start());
        Phone phone;
        DaemonProcess& daemon = phone.daemon;
        QVERIFY(phone.start());
        QVERIFY2(phone.fifo.waitForTokens(1) && daemon.ping(), qPrintable(daemon.output()));

        const QList<QPair<bool, QString>> services { { false, QStringLiteral("com.vexa.korvad") },
            { false, QStringLiteral("com.vexa.korva.settings") },
            { true, QStringLiteral("com.vexa.korva.pin") }, { true, QStringLiteral("com.vexa.korva_ui") },
            { true, QStringLiteral("com.vexa.oma_cp_ui") } };
        QList<Method> methods;
        for (const auto& [system, service] : services) {
            QVERIFY2(bus(system).interface()->isServiceRegistered(service), qPrintable(service));
            introspect(system, service, QStringLiteral("/"), methods);
        }
        // Exactly the documented methods are reachable: nothing internal
        // (a response slot, a helper) is exported by accident.
        QSet<QString> exported;
        for (const Method& m : methods)
            exported << m.interface + QLatin1Char('.') + m.name;
        const QSet<QString> documented { QStringLiteral("com.vexa.korvad.Application.Release"),
            QStringLiteral("com.vexa.korva.pin.PinCodeQuery.ChangePinCode"),
            QStringLiteral("com.vexa.korva.pin.PinCodeQuery.PinQueryState"),
            QStringLiteral("com.vexa.korva.pin.PinCodeQuery.EnablePinQuery"),
            QStringLiteral("com.vexa.korva.pin.PinCodeQuery.LaunchPinQuery"),
            QStringLiteral("com.vexa.korva_ui.show_roaming_dlg"),
            QStringLiteral("com.vexa.korva_ui.show_error_note"),
            QStringLiteral("com.vexa.oma_cp_ui.iap_select_req"),
            QStringLiteral("com.vexa.oma_cp_ui.pin_query_req"),
            QStringLiteral("com.vexa.oma_cp_ui.notification_req") };
        QCOMPARE(exported, documented);
        const QString settingsBefore = dconfDump();
        const int windowsBefore = XTools::findWindows(QStringLiteral("."), false).size();

        // Refused calls first: they must leave no trace but an error reply.
        for (const Method& m : methods) {
            const QString what = m.service + QLatin1Char(' ') + m.path + QLatin1Char(' ') + m.name;
            QList<QVariantList> refused;
            if (!m.in.isEmpty())
                refused << QVariantList();
            for (int wrong = 0; wrong < m.in.size(); ++wrong) {
                QVariantList args;
                for (int i = 0; i < m.in.size(); ++i)
                    args << (i == wrong ? wrongValue(m.in[i]) : sample(m.in[i], 3));
                refused << args;
            }
            QVariantList extra;
            for (const QString& type : m.in)
                extra << sample(type, 3);
            refused << (extra << QStringLiteral("extra"));
            for (const QVariantList& args : refused) {
                const QDBusMessage reply = call(m, args);
                QVERIFY2(reply.type() == QDBusMessage::ErrorMessage, qPrintable(what));
                QVERIFY2(reply.errorName() != QLatin1String("org.freedesktop.DBus.Error.NoReply"),
                    qPrintable(what));
            }
            QVERIFY2(daemon.ping(), qPrintable(what));
        }
        QCOMPARE(dconfDump(), settingsBefore);
        QCOMPARE(XTools::findWindows(QStringLiteral("."), false).size(), windowsBefore);

        // Then well-typed calls with hostile values, four rounds, so later
        // rounds reach the daemon while earlier ones keep pages and dialogs open.
        for (int round = 0; round < 4; ++round)
            for (const Method& m : methods) {
                if (m.name == QLatin1String("Release"))
                    continue; // ends prestart; nothing hostile to send
                QVariantList args;
                for (const QString& type : m.in)
                    args << sample(type, round);
                if (m.noReply) {
                    QDBusMessage msg = QDBusMessage::createMethodCall(m.service, m.path, m.interface, m.name);
                    msg.setArguments(args);
                    msg.setAutoStartService(false);
                    QVERIFY(bus(m.system).send(msg));
                } else {
                    const QDBusMessage reply = call(m, args);
                    QVERIFY2(reply.errorName() != QLatin1String("org.freedesktop.DBus.Error.NoReply"),
                        qPrintable(m.name + QLatin1Char(' ') + daemon.output().right(4000)));
                }
                QVERIFY2(daemon.ping(),
                    qPrintable(
                        m.name + QStringLiteral(" round %1: ").arg(round) + daemon.output().right(3000)));
            }

        QVERIFY(daemon.ping());
        QCOMPARE(daemon.process().state(), QProcess::Running);
        daemon.stop();
        // A huge value from a peer never becomes a huge log line.
        for (const QString& line : daemon.output().split(QLatin1Char('\n')))
            QVERIFY2(line.size() < 8192, qPrintable(line.left(200)));
    }

    // Peers that misbehave while a query runs: oFono leaving the bus in the
    // middle of a PIN check, and feedbackd reporting the end of ten thousand
    // feedbacks nobody asked for.
    void peersVanishAndFlood()
    {
        FeedbackdMock feedbackd;
        QVERIFY(feedbackd.start());
        Phone boot({ { QStringLiteral("pin"), QStringLiteral("13572468") } });
        QVERIFY(boot.start());
        QCOMPARE(boot.launch(), 1);
        QVERIFY(boot.waitFor(QStringLiteral("Shown")));

        feedbackd.control(
            QStringLiteral("/org/sigxcpu/Feedback"), QStringLiteral("FinishRange"), { 50000u, 10000u });
        QVERIFY(boot.daemon.ping());

        QVERIFY(boot.sim(QStringLiteral("ExitOnNextCall"), { QStringLiteral("EnterPin") }));
        QVERIFY(boot.enter(QStringLiteral("13572468")));
        QVERIFY(boot.waitFor(QStringLiteral("Done false")));
        QVERIFY(boot.daemon.ping());
        QCOMPARE(boot.seen().count(QStringLiteral("Done false")), 1);
        QVERIFY(!boot.seen().contains(QStringLiteral("Done true")));
        QVERIFY(boot.logKeepsSecret({ QStringLiteral("13572468") }));
    }
};

QTEST_GUILESS_MAIN(TestHostile)
#include "tst_hostile.moc"
