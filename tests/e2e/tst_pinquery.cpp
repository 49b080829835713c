#include <Phone.h>

#include <XTools.h>

#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

// The PIN query service on the oFono imitation, for what needs no real card:
// the prestarted boot, the user's offline choice, a switch refused while the
// SIM is locked, and who may ask. The PIN flows themselves run on the real
// oFono daemon (tests/tier).
class TestPinQuery : public QObject
{
    Q_OBJECT

private:
    const QString Pin = Phone::Pin;

    QVariantMap sim(const QVariantMap& more = {}) const
    {
        QVariantMap p { { u"pin"_s, Pin }, { u"puk"_s, Phone::Puk } };
        p.insert(more);
        return p;
    }

private Q_SLOTS:
    // Prestarted: nothing on screen and the PIN stage open until the
    // platform releases the process. A page asked for meanwhile comes then;
    // without a launch the user is told of a SIM error and the boot goes on.
    // Started as a unit would start it: systemd hears each stage, READY=1
    // only with KORVA_READY, and the PIN stage's end starts the target other
    // units wait for.
    void prestartedBoot_data()
    {
        QTest::addColumn<bool>("launched");
        QTest::newRow("launched before the release") << true;
        QTest::newRow("no launch") << false;
    }

    void prestartedBoot()
    {
        QFETCH(bool, launched);
        NotificationsMock notifications;
        QVERIFY(notifications.start());
        MockService manager(u"systemd_user"_s, u"org.freedesktop.systemd1"_s, MockService::SessionBus);
        QVERIFY(manager.start());
        Phone boot(sim());
        boot.daemon.environment().insert(u"NOTIFY_SOCKET"_s, boot.fifo.notifySocket());
        QVERIFY(boot.start({ u"-log"_s, u"-prestart"_s }));
        QVERIFY(boot.daemon.ping());
        QVERIFY(boot.fifo.tokens().isEmpty());
        const QStringList started { u"STATUS=Checking the modem"_s };
        QTRY_COMPARE(boot.fifo.notices(), started);
        if (launched)
            QCOMPARE(boot.launch(), 1);
        QVERIFY(boot.daemon.ping());
        QVERIFY(boot.page(false).isEmpty());
        QVERIFY(boot.seen().isEmpty());
        QVERIFY(!boot.fifo.tokens().contains(u"PIN_CODE_DONE"_s));
        QCOMPARE(boot.fifo.notices(), started);

        QVERIFY(DaemonProcess::release());
        if (launched) {
            QVERIFY(boot.waitFor(u"Shown"_s));
            // A card that fails the first try for no code's fault: the
            // milder sound, as the user is looking at the page; that query
            // is over and a new launch asks again.
            QVERIFY(boot.ofono.step(u"SetNextError:EnterPin:org.ofono.Error.NotSupported"_s));
            QVERIFY(boot.enter(Pin));
            COMPARE_NOTES(notifications, boot.daemon, QStringList { u"SIM card error|sim.error.sound"_s });
            QVERIFY(boot.waitFor(u"Done false"_s));
            QCOMPARE(boot.launch(), 1);
            QVERIFY(boot.waitFor(u"Shown"_s, 2));
            QVERIFY(boot.enter(Pin));
            QVERIFY(boot.waitFor(u"Done true"_s));
        } else {
            QVERIFY(boot.fifo.waitForTokens(2));
            QCOMPARE(boot.fifo.tokens(), Phone::ReadyDone);
            COMPARE_NOTES(notifications, boot.daemon, QStringList { u"SIM card error|sim.error.strong"_s });
            QVERIFY(boot.seen().isEmpty());
            // A late launch still gets its page.
            QCOMPARE(boot.launch(), 1);
            QVERIFY(boot.waitFor(u"Shown"_s));
        }
        const QStringList over = started
            + QStringList { u"READY=1\nSTATUS=Ready; PIN stage running"_s, u"STATUS=PIN stage over"_s };
        QTRY_COMPARE(boot.fifo.notices(), over);
        QTRY_COMPARE(manager.calls(u"/org/freedesktop/systemd1"_s, u"StartUnit"_s),
            (QList<QVariantList> { { u"korvad-pin-done.target"_s, u"replace"_s } }));
        // Only a daemon that really runs as root is told off for it.
        const bool asRoot = ::geteuid() == 0 && !qEnvironmentVariableIsSet("KORVA_RUN_AS");
        QCOMPARE(boot.daemon.output().count("korvad runs as root"_L1), asRoot ? 1 : 0);
        QVERIFY(boot.logKeepsSecret({ Pin }));
    }

    // The user chose to stay offline: the boot's launch is cancelled without
    // a page; a later launch shows it.
    void offlineThenLaunch()
    {
        MockService pavo(
            u"pavo"_s, u"com.vexa.pavo"_s, MockService::SystemBus, { { u"radio_states"_s, 0u } });
        QVERIFY(pavo.start());
        Phone boot(sim());
        QVERIFY(boot.start({ u"-log"_s }, nullptr));
        const QString question = XTools::findWindows(u"^Offline mode$"_s, true).value(0);
        QVERIFY(!question.isEmpty());
        QVERIFY(XTools::key(question, u"Escape"_s));
        QVERIFY(Phone::waitForService(QLatin1String(Phone::PinService)));
        QVERIFY(boot.fifo.waitForTokens(2));
        QCOMPARE(boot.fifo.tokens(), Phone::ReadyDone);

        QCOMPARE(boot.launch(), 1);
        QVERIFY(boot.waitFor(u"Done false"_s));
        QVERIFY(boot.daemon.ping());
        QVERIFY(boot.page(false).isEmpty());
        QVERIFY(!boot.seen().contains(u"Shown"_s));

        QCOMPARE(boot.launch(), 1);
        QVERIFY(boot.waitFor(u"Shown"_s));
        QVERIFY(boot.enter(Pin));
        QVERIFY(boot.waitFor(u"Done true"_s));
        QVERIFY(boot.logKeepsSecret({ Pin }));
    }

    // The boot page in the user's language, as the environment gives it:
    // its title, a wrong PIN's error, and digits typed in the language's own
    // script reaching the SIM as Latin ones.
    void inLanguage_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("digits");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("German") << "de_DE.UTF-8"
                                << "0123456789"
                                << QStringList { u"PIN eingeben"_s, u"Falsche PIN"_s, u"Noch 2 Versuche"_s };
        QTest::newRow("Arabic, Arabic-Indic digits")
            << "ar_EG.UTF-8" << u"\u0660\u0661\u0662\u0663\u0664\u0665\u0666\u0667\u0668\u0669"_s
            << QStringList { u"\u0623\u062F\u062E\u0644 \u0631\u0645\u0632 PIN"_s,
                   u"\u0631\u0645\u0632 PIN \u063A\u064A\u0631 \u0635\u062D\u064A\u062D"_s };
    }

    void inLanguage()
    {
        QFETCH(QString, lang);
        QFETCH(QString, digits);
        QFETCH(QStringList, texts);
        auto inScript = [&](const QString& code) {
            QString typed;
            for (const QChar c : code)
                typed += digits.at(c.digitValue());
            return typed;
        };
        Phone boot(sim({ { u"pin_locked"_s, true } }));
        for (const char* name : { "LANGUAGE", "LC_ALL", "LC_MESSAGES" })
            boot.daemon.environment().remove(QLatin1String(name));
        boot.daemon.environment().insert(u"LANG"_s, lang);
        QVERIFY(boot.start());
        QCOMPARE(boot.launch(), 1);
        QVERIFY(boot.waitLog(u'"' + texts.at(0) + u'"'));
        QVERIFY(boot.enter(inScript(u"11112222"_s)));
        for (const QString& text : texts.mid(1))
            QVERIFY2(boot.waitLog(u'"' + text + u'"'), qPrintable(boot.daemon.output().right(2000)));
        QVERIFY(boot.enter(inScript(Pin)));
        boot.expectDone(true);
        QCOMPARE(boot.simCalls(u"EnterPin"_s).last().value(1).toString(), Pin);
    }

    // Without sight: the boot PIN through what a screen reader sees
    // (tests/e2e/screenreader.py), on the session's accessibility bus.
    void screenReader_data()
    {
        QTest::addColumn<QString>("emergency");
        QTest::newRow("PIN") << QString();
        QTest::newRow("emergency call") << u"112"_s;
    }

    void screenReader()
    {
        QFETCH(QString, emergency);
        QProcess bus;
        bus.start(u"/usr/libexec/at-spi-bus-launcher"_s, { u"--launch-immediately"_s });
        QVERIFY(bus.waitForStarted());
        auto stop = qScopeGuard([&] {
            bus.terminate();
            bus.waitForFinished();
        });
        Phone boot(sim({ { u"pin_locked"_s, true } }));
        boot.daemon.environment().insert(u"QT_LINUX_ACCESSIBILITY_ALWAYS_ON"_s, u"1"_s);
        QVERIFY(boot.start());
        QCOMPARE(boot.launch(), 1);
        QProcess reader;
        QStringList arguments { qEnvironmentVariable("KORVA_SOURCE_DIR") + u"/tests/e2e/screenreader.py"_s,
            u"Enter PIN code"_s, Pin };
        if (!emergency.isEmpty())
            arguments << emergency;
        reader.start(u"/usr/bin/python3"_s, arguments);
        QVERIFY(reader.waitForFinished(60000));
        QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError().constData());
        if (emergency.isEmpty()) {
            boot.expectDone(true);
            return;
        }
        QTRY_COMPARE(boot.ofono.calls(QLatin1String(Phone::Modem), u"Dial"_s),
            (QList<QVariantList> { { emergency, QString() } }));
    }

    // The SIM changing under the boot's page, digits typed on it but not
    // entered: each status ends the query as its state says (ready: done; PUK:
    // the PUK page; any other: failed), the page's feedback ends with it, and
    // a page that comes back opens empty, above everything.
    void simChangesUnderThePage_data()
    {
        QTest::addColumn<QString>("steps"); // simulator steps
        QTest::addColumn<int>("done"); // PinQueryDone(true) 1, (false) 0; -1: the page stays
        QTest::addColumn<QStringList>("notes");
        QTest::addColumn<QString>("back"); // the step that brings the PIN page back
        const QStringList none;
        const QStringList rejected { u"SIM card rejected|sim.error.sound"_s };
        const QStringList removed { u"SIM card removed|sim.removed"_s };
        QTest::newRow("ready (0)") << u"SetPinRequired:none"_s << 1 << none << "";
        // PIN2 guards fixed dialling only: the card is usable, no PUK page.
        QTest::newRow("PIN2 blocked (0)") << u"SetPinRequired:puk2"_s << 1 << none << "";
        QTest::newRow("removed (1)") << u"SetSimPresent:false"_s << 0 << removed << "SetSimPresent:true";
        QTest::newRow("blocked for good (2)")
            << u"SetRetries:puk:0 SetPinRequired:puk"_s << 0 << rejected << "";
        QTest::newRow("modem unpowered (3)")
            << u"SetModemPowered:false"_s << 0 << none << "SetModemPowered:true";
        QTest::newRow("PUK (5)") << u"SetPinRequired:puk"_s << -1 << none << "";
        QTest::newRow("personalisation lock (6)")
            << u"SetPinRequired:network"_s << 0 << rejected << "SetPinRequired:pin";
        QTest::newRow("modem gone (-1)") << u"RemoveModem"_s << 0 << none << "AddModem";
    }

    void simChangesUnderThePage()
    {
        QFETCH(QString, steps);
        QFETCH(int, done);
        QFETCH(QStringList, notes);
        QFETCH(QString, back);
        NotificationsMock notifications;
        FeedbackdMock feedbackd;
        QVERIFY(notifications.start() && feedbackd.start());
        Phone boot(sim({ { u"pin_locked"_s, true } }));
        QVERIFY(boot.start());
        QCOMPARE(boot.launch(), 1);
        QVERIFY(boot.waitFor(u"Shown"_s));
        QTRY_VERIFY(feedbackd.playing().contains(u"pin_query"_s));
        // Nothing to switch while the SIM wants its PIN: refused, the page kept.
        QCOMPARE(boot.call(u"EnablePinQuery"_s, { true }).type(), QDBusMessage::ReplyMessage);
        QVERIFY(boot.waitFor(u"Enabled -1"_s));
        QVERIFY(XTools::type(boot.page(), u"99"_s));
        for (const QString& step : steps.split(u' '))
            QVERIFY(boot.ofono.step(step));
        if (done < 0) {
            QVERIFY(boot.waitFor(u"Shown"_s, 2));
            QVERIFY2(!boot.page(false).isEmpty(), "the page went");
            QTRY_VERIFY2(feedbackd.events().count(u"warning_tacticon"_s) == 2,
                "no warning at the switch to the PUK, or none as its page opens");
        } else {
            STEP(boot.expectDone(done == 1));
            QVERIFY2(
                !feedbackd.playing().contains(u"pin_query"_s), "pin_query still plays after the page went");
        }
        COMPARE_NOTES(notifications, boot.daemon, notes);
        if (back.isEmpty())
            return;
        QVERIFY(boot.ofono.step(back));
        QVERIFY(boot.waitFor(u"Shown"_s, 2));
        QVERIFY2(boot.layer() == u"3"_s, "the page came back lowered");
        QVERIFY(boot.enter(Pin));
        QTRY_VERIFY(!boot.simCalls(u"EnterPin"_s).isEmpty());
        QVERIFY2(boot.simCalls(u"EnterPin"_s).first().value(1).toString() == Pin,
            "the page came back holding the digits typed before");
    }

    // Every switch asked for is answered once: refused (-1) while another
    // operation runs, a change of the PIN or a switch not yet done.
    void enableWhileBusy()
    {
        Phone boot(sim({ { u"pin_locked"_s, true } }));
        QVERIFY(boot.readySim(true));
        QCOMPARE(boot.call(u"ChangePinCode"_s).type(), QDBusMessage::ReplyMessage);
        const QString page = boot.page();
        QVERIFY(!page.isEmpty());
        QCOMPARE(boot.call(u"EnablePinQuery"_s, { true }).type(), QDBusMessage::ReplyMessage);
        QVERIFY(boot.waitFor(u"Enabled -1"_s));
        // Digits typed on a cancelled page are not the next page's.
        QVERIFY(XTools::type(page, u"99"_s));
        QVERIFY(XTools::key(page, u"Escape"_s));
        QTRY_VERIFY(boot.page(false).isEmpty());

        QCOMPARE(boot.call(u"EnablePinQuery"_s, { false }).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(boot.call(u"EnablePinQuery"_s, { true }).type(), QDBusMessage::ReplyMessage);
        QVERIFY(boot.waitFor(u"Enabled -1"_s, 2));
        QVERIFY(boot.enter(Pin));
        QTRY_VERIFY(!boot.simCalls(u"UnlockPin"_s).isEmpty());
        QCOMPARE(boot.simCalls(u"UnlockPin"_s), (QList<QVariantList> { { u"pin"_s, Pin } }));
        QVERIFY(boot.waitFor(u"Enabled 1"_s));
        QTRY_VERIFY(boot.page(false).isEmpty());
        QVERIFY(boot.daemon.ping());
        QCOMPARE(boot.seen().filter(u"Enabled"_s),
            (QStringList { u"Enabled -1"_s, u"Enabled -1"_s, u"Enabled 1"_s }));
        QVERIFY(boot.simCalls(u"ChangePin"_s).isEmpty());
        QVERIFY(boot.logKeepsSecret({ Pin }));
    }

    // The installed policy on the enforcing bus: root may call, and
    // everybody hears the signals (a stranger's calls: tst_hostile).
    void policy()
    {
        Phone boot(sim({ { u"pin_locked"_s, false } }));
        QVERIFY(boot.readySim(false));
        QCOMPARE(boot.launch(), 0);

        QProcess listener;
        XTools::startAsNobody(
            listener, { u"gdbus"_s, u"monitor"_s, u"--system"_s, u"--dest"_s, u"com.vexa.korva.pin"_s });
        QByteArray heard;
        auto hear = [&] {
            listener.waitForReadyRead(100);
            heard += listener.readAllStandardOutput();
            return heard;
        };
        QTRY_VERIFY(hear().contains("is owned by"));
        QCOMPARE(boot.call(u"PinQueryState"_s, { u"pin"_s }).type(), QDBusMessage::ReplyMessage);
        QVERIFY(boot.waitFor(u"State 1"_s));
        // The launch on a ready SIM showed nothing and ended nothing.
        QCOMPARE(boot.seen(), QStringList { u"State 1"_s });
        QVERIFY(boot.page(false).isEmpty());
        QTRY_VERIFY(hear().contains("PinQueryStateCompleted (1,)"));
        // A card that cannot be read is an answer too.
        QVERIFY(boot.ofono.step(
            u"SetNextError:org.ofono.SimManager.GetProperties:org.ofono.Error.NotAvailable"_s));
        QCOMPARE(boot.call(u"PinQueryState"_s, { u"pin"_s }).type(), QDBusMessage::ReplyMessage);
        QVERIFY(boot.waitFor(u"State -1"_s));
        listener.kill();
        listener.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestPinQuery)
#include "tst_pinquery.moc"
