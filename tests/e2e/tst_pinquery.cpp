#include <Phone.h>

#include <XTools.h>

#include <QTest>

// The PIN query service, each flow a user meets: the boot's PIN stage (the
// start-up sequence calls LaunchPinQuery), and what the settings application
// asks of a ready SIM (change the PIN, switch the query, read its state);
// the user types on the page, the SIM simulator judges; and who may ask.
class TestPinQuery : public QObject
{
    Q_OBJECT

private:
    // Eight digits: no shorter run of digits in a log line can pass for them.
    const QString Pin = QStringLiteral("24681357");
    const QString WrongPin = QStringLiteral("13572468");
    const QString Puk = QStringLiteral("97531864");
    const QString WrongPuk = QStringLiteral("86420975");
    const QString NewPin = QStringLiteral("31415926");
    const QString OtherPin = QStringLiteral("27182818");
    const QStringList Ready { QStringLiteral("KORVA_READY") };
    const QStringList ReadyDone { QStringLiteral("KORVA_READY"), QStringLiteral("PIN_CODE_DONE") };

    QVariantMap sim(const QVariantMap& more = {}) const
    {
        QVariantMap p { { QStringLiteral("pin"), Pin }, { QStringLiteral("puk"), Puk } };
        p.insert(more);
        return p;
    }

    static QString stackingLayer(const QString& window)
    {
        return XTools::xprop(window, QStringLiteral("_TARN_STACKING_LAYER"))
            .section(QLatin1Char('='), 1)
            .trimmed();
    }

    // A ready SIM whose PIN query is on (locked) or off.
    bool readySim(Phone& boot, bool locked)
    {
        // A card unlocked behind the daemon's back leaves the boot's PIN
        // stage waiting for its launch: only KORVA_READY then.
        return boot.start()
            && (!locked || boot.sim(QStringLiteral("SetPinRequired"), { QStringLiteral("none") }))
            && boot.fifo.waitForTokens(locked ? 1 : 2) && boot.waitLog(QStringLiteral("new SimStateOk"))
            && boot.daemon.ping();
    }

    // Brings the boot to a shown PIN page.
    void launchToPage(Phone& boot)
    {
        QVERIFY(boot.fifo.waitForTokens(1));
        QCOMPARE(boot.fifo.tokens(), Ready);
        QVERIFY(boot.page(false).isEmpty());
        QCOMPARE(boot.launch(), 1);
        QVERIFY(boot.waitFor(QStringLiteral("Shown")));
        QVERIFY(!boot.page().isEmpty());
    }

    void expectDone(Phone& boot, bool ok)
    {
        QVERIFY(boot.waitFor(ok ? QStringLiteral("Done true") : QStringLiteral("Done false")));
        QVERIFY(boot.fifo.waitForTokens(2));
        QCOMPARE(boot.fifo.tokens(), ReadyDone);
        QTRY_VERIFY(boot.page(false).isEmpty());
        QVERIFY(boot.daemon.ping());
        QCOMPARE(boot.seen().filter(QStringLiteral("Done")).size(), 1);
        QVERIFY2(
            !boot.daemon.output().contains(QLatin1String("Could not parse")), "the theme does not parse");
    }

private Q_SLOTS:
    void bootPin()
    {
        Phone boot(sim());
        QVERIFY(boot.start());
        launchToPage(boot);
        // Another launch while the query runs changes nothing.
        QCOMPARE(boot.launch(), 0);
        QVERIFY(boot.enter(WrongPin));
        QVERIFY(boot.waitLog(QStringLiteral("Incorrect PIN code")));
        QVERIFY(boot.waitLog(QStringLiteral("2 attempts left")));
        QVERIFY(!boot.page(false).isEmpty());
        QCOMPARE(boot.seen(), QStringList { QStringLiteral("Shown") });
        QVERIFY(boot.enter(Pin));
        expectDone(boot, true);
        QCOMPARE(boot.seen(), (QStringList { QStringLiteral("Shown"), QStringLiteral("Done true") }));
        QCOMPARE(boot.simCalls(QStringLiteral("EnterPin")).size(), 2);
        QCOMPARE(
            boot.simCalls(QStringLiteral("EnterPin")).last(), (QVariantList { QStringLiteral("pin"), Pin }));
        QVERIFY(boot.logKeepsSecret({ Pin, WrongPin }));
    }

    // Three wrong PINs block it; a wrong PUK keeps the PUK page; two new PINs
    // that differ are asked again; then PUK and new PIN go in one call.
    void pukUnblocks()
    {
        NotificationsMock notifications;
        QVERIFY(notifications.start());
        Phone boot(sim());
        QVERIFY(boot.start());
        launchToPage(boot);
        QVERIFY(boot.enter(WrongPin));
        QVERIFY(boot.waitLog(QStringLiteral("2 attempts left")));
        QVERIFY(boot.enter(WrongPin));
        QVERIFY(boot.waitLog(QStringLiteral("1 attempt left before the PIN is blocked")));
        QVERIFY(boot.enter(WrongPin));
        // The first PUK page says why it is there.
        QVERIFY(boot.waitFor(QStringLiteral("Shown"), 2));
        QVERIFY(
            boot.waitLog(QStringLiteral("hint: \"SIM card locked. Enter the PUK code from your operator\"")));
        QCOMPARE(boot.seen().filter(QStringLiteral("Done")).size(), 0);
        QCOMPARE(boot.fifo.tokens(), Ready);

        QVERIFY(boot.enter(WrongPuk));
        QVERIFY(boot.waitLog(QStringLiteral("\"Enter new PIN code\"")));
        QVERIFY(boot.enter(NewPin));
        QVERIFY(boot.waitLog(QStringLiteral("\"Re-enter new PIN code\"")));
        QVERIFY(boot.enter(NewPin));
        QVERIFY(boot.waitLog(QStringLiteral("\"Incorrect PUK code\"")));

        QVERIFY(boot.enter(Puk));
        QVERIFY(boot.waitLog(QStringLiteral("\"Enter new PIN code\""), 2));
        QVERIFY(boot.enter(NewPin));
        QVERIFY(boot.waitLog(QStringLiteral("\"Re-enter new PIN code\""), 2));
        QVERIFY(boot.enter(OtherPin));
        QVERIFY(boot.waitLog(QStringLiteral("\"PIN codes do not match\"")));
        QVERIFY(boot.enter(NewPin));
        QVERIFY(boot.waitLog(QStringLiteral("\"Re-enter new PIN code\""), 3));
        QVERIFY(boot.enter(NewPin));
        expectDone(boot, true);

        QCOMPARE(boot.simCalls(QStringLiteral("ResetPin")),
            (QList<QVariantList> {
                { QStringLiteral("puk"), WrongPuk, NewPin }, { QStringLiteral("puk"), Puk, NewPin } }));
        QTRY_VERIFY2(!notifications.notes().isEmpty(), qPrintable(boot.daemon.output().right(6000)));
        QVERIFY(notifications.shown().last().startsWith(QLatin1String("PIN code changed|")));
        QVERIFY(boot.logKeepsSecret({ Pin, WrongPin, Puk, WrongPuk, NewPin, OtherPin }));
    }

    // The card goes while its PIN is asked for: that query is over, failed.
    void simRemovedDuringQuery()
    {
        Phone boot(sim());
        QVERIFY(boot.start());
        launchToPage(boot);
        QVERIFY(boot.sim(QStringLiteral("SetSimPresent"), { false }));
        expectDone(boot, false);
    }

    // No modem at boot: after the start-response timeout the boot goes on;
    // a SIM that asks for its PIN later gets its page without a launch.
    void noModemThenPin()
    {
        Phone boot(sim({ { QStringLiteral("modem_absent"), true } }));
        QVERIFY(boot.start());
        QVERIFY(boot.fifo.waitForTokens(1));
        QVERIFY(boot.waitLog(QStringLiteral("SIM not OK, start timer...")));
        QVERIFY(boot.fifo.waitForTokens(2, 30000));
        QCOMPARE(boot.fifo.tokens(), ReadyDone);
        QVERIFY(boot.seen().isEmpty());

        QVERIFY(boot.sim(QStringLiteral("AddModem")));
        QVERIFY(boot.waitFor(QStringLiteral("Shown")));
        QVERIFY(boot.enter(Pin));
        QVERIFY(boot.waitFor(QStringLiteral("Done true")));
        QVERIFY(boot.daemon.ping());
        QCOMPARE(boot.fifo.tokens(), ReadyDone);
        QVERIFY(boot.logKeepsSecret({ Pin }));
    }

    // Prestarted: nothing on screen and the PIN stage open until the
    // platform releases the process. A page asked for meanwhile comes then;
    // without a launch the user is told of a SIM error and the boot goes on.
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
        Phone boot(sim());
        QVERIFY(boot.start({ QStringLiteral("-log"), QStringLiteral("-prestart") }));
        QVERIFY(boot.daemon.ping());
        QVERIFY(boot.fifo.tokens().isEmpty());
        if (launched)
            QCOMPARE(boot.launch(), 1);
        QVERIFY(boot.daemon.ping());
        QVERIFY(boot.page(false).isEmpty());
        QVERIFY(boot.seen().isEmpty());
        QVERIFY(!boot.fifo.tokens().contains(QStringLiteral("PIN_CODE_DONE")));

        QVERIFY(DaemonProcess::release());
        if (launched) {
            QVERIFY(boot.waitFor(QStringLiteral("Shown")));
            QVERIFY(boot.enter(Pin));
            expectDone(boot, true);
        } else {
            QVERIFY(boot.fifo.waitForTokens(2));
            QCOMPARE(boot.fifo.tokens(), ReadyDone);
            QTRY_VERIFY(!notifications.notes().isEmpty());
            QVERIFY(notifications.shown().first().startsWith(QLatin1String("SIM card error|")));
            QVERIFY(boot.daemon.ping());
            QVERIFY(boot.seen().isEmpty());
            // A late launch still gets its page.
            QCOMPARE(boot.launch(), 1);
            QVERIFY(boot.waitFor(QStringLiteral("Shown")));
        }
        QVERIFY(boot.logKeepsSecret({ Pin }));
    }

    // The user chose to stay offline: the boot's launch is cancelled without
    // a page; a later launch shows it.
    void offlineThenLaunch()
    {
        MockService pavo(QStringLiteral("pavo"), QStringLiteral("com.vexa.pavo"), MockService::SystemBus,
            { { QStringLiteral("radio_states"), 0u } });
        QVERIFY(pavo.start());
        Phone boot(sim());
        QVERIFY(boot.start({ QStringLiteral("-log") }, nullptr));
        const QString question = XTools::findWindows(QStringLiteral("^Offline mode$"), true).value(0);
        QVERIFY(!question.isEmpty());
        QVERIFY(XTools::key(question, QStringLiteral("Escape")));
        QVERIFY(Phone::waitForService(QLatin1String(Phone::PinService)));
        QVERIFY(boot.fifo.waitForTokens(2));
        QCOMPARE(boot.fifo.tokens(), ReadyDone);

        QCOMPARE(boot.launch(), 1);
        QVERIFY(boot.waitFor(QStringLiteral("Done false")));
        QVERIFY(boot.daemon.ping());
        QVERIFY(boot.page(false).isEmpty());
        QVERIFY(!boot.seen().contains(QStringLiteral("Shown")));

        QCOMPARE(boot.launch(), 1);
        QVERIFY(boot.waitFor(QStringLiteral("Shown")));
        QVERIFY(boot.enter(Pin));
        QVERIFY(boot.waitFor(QStringLiteral("Done true")));
        QVERIFY(boot.logKeepsSecret({ Pin }));
    }

    // 112 typed on the PIN page: the emergency key calls at once, the page
    // steps back for the call and returns above everything after it.
    void emergencyCall()
    {
        Phone boot(sim());
        QVERIFY(boot.start());
        launchToPage(boot);
        const QString window = boot.page();
        QCOMPARE(stackingLayer(window), QStringLiteral("3"));
        XTools::run(
            QStringLiteral("xdotool"), { QStringLiteral("windowfocus"), QStringLiteral("--sync"), window });
        XTools::run(QStringLiteral("xdotool"), { QStringLiteral("type"), QStringLiteral("112") });
        QVERIFY(boot.daemon.ping());

        const QRect g = XTools::geometry(window);
        // The bottom-left key of the keypad.
        QVERIFY(XTools::click(g.x() + g.width() * 93 / 480, g.y() + g.height() * 688 / 854));
        QTRY_COMPARE(boot.simCalls(QStringLiteral("Dial")).size(), 1);
        QCOMPARE(boot.simCalls(QStringLiteral("Dial")).first().value(0).toString(), QStringLiteral("112"));
        QVERIFY(boot.waitLog(QStringLiteral("UI on top: true")));
        QTRY_COMPARE(stackingLayer(window), QStringLiteral("0"));

        QDBusMessage hangup
            = QDBusMessage::createMethodCall(QStringLiteral("org.ofono"), QLatin1String(Phone::Modem),
                QStringLiteral("org.ofono.VoiceCallManager"), QStringLiteral("HangupAll"));
        QCOMPARE(QDBusConnection::systemBus().call(hangup).type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE(stackingLayer(window), QStringLiteral("3"));
        // The query is still there for the PIN.
        for (int i = 0; i < 3; ++i)
            QVERIFY(XTools::key(window, QStringLiteral("BackSpace")));
        QVERIFY(boot.seen().filter(QStringLiteral("Done")).isEmpty());
        QVERIFY(boot.enter(Pin));
        QVERIFY(boot.waitFor(QStringLiteral("Done true")));
    }

    // The old PIN is checked by the card itself before the new one is asked
    // for; a wrong one ends the change with a note and changes nothing.
    void changePin_data()
    {
        QTest::addColumn<bool>("right");
        QTest::newRow("right old PIN") << true;
        QTest::newRow("wrong old PIN") << false;
    }

    void changePin()
    {
        QFETCH(bool, right);
        NotificationsMock notifications;
        QVERIFY(notifications.start());
        Phone boot(sim({ { QStringLiteral("pin_locked"), true } }));
        QVERIFY(readySim(boot, true));
        QCOMPARE(boot.call(QStringLiteral("ChangePinCode")).type(), QDBusMessage::ReplyMessage);
        QVERIFY(!boot.page().isEmpty());
        QVERIFY(boot.enter(right ? Pin : WrongPin));
        // Verified with the lock kept as it is: LockPin on a locked card.
        QTRY_COMPARE(boot.simCalls(QStringLiteral("LockPin")),
            (QList<QVariantList> { { QStringLiteral("pin"), right ? Pin : WrongPin } }));
        if (right) {
            QVERIFY(boot.waitLog(QStringLiteral("\"Enter new PIN code\"")));
            QVERIFY(boot.enter(NewPin));
            QVERIFY(boot.waitLog(QStringLiteral("\"Re-enter new PIN code\"")));
            QVERIFY(boot.enter(NewPin));
            QTRY_COMPARE(boot.simCalls(QStringLiteral("ChangePin")),
                (QList<QVariantList> { { QStringLiteral("pin"), Pin, NewPin } }));
        }
        QTRY_VERIFY(boot.page(false).isEmpty());
        QTRY_COMPARE(notifications.shown(),
            QStringList { right ? QStringLiteral("PIN code changed|cellular.positive")
                                : QStringLiteral("Incorrect PIN code|sim.error") });
        if (!right)
            QVERIFY(boot.simCalls(QStringLiteral("ChangePin")).isEmpty());
        QVERIFY(boot.daemon.ping());
        // Not a boot query: no PIN query signals, no further token.
        QVERIFY(boot.seen().isEmpty());
        QCOMPARE(boot.fifo.tokens().size(), 1);
        QVERIFY(boot.logKeepsSecret({ Pin, WrongPin, NewPin }));
    }

    void enablePinQuery_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<bool>("enable");
        QTest::addColumn<QString>("code"); // empty: no page expected
        QTest::addColumn<QString>("method");
        QTest::addColumn<int>("result");
        QTest::newRow("switch off") << true << false << Pin << "UnlockPin" << 1;
        QTest::newRow("switch on") << false << true << Pin << "LockPin" << 0;
        QTest::newRow("already on") << true << true << QString() << "LockPin" << 0;
        QTest::newRow("already off") << false << false << QString() << "UnlockPin" << 1;
        QTest::newRow("wrong PIN") << true << false << WrongPin << "UnlockPin" << 0;
    }

    void enablePinQuery()
    {
        QFETCH(bool, locked);
        QFETCH(bool, enable);
        QFETCH(QString, code);
        QFETCH(QString, method);
        QFETCH(int, result);
        Phone boot(sim({ { QStringLiteral("pin_locked"), locked } }));
        QVERIFY(readySim(boot, locked));
        QCOMPARE(boot.call(QStringLiteral("EnablePinQuery"), { enable }).type(), QDBusMessage::ReplyMessage);
        if (!code.isEmpty())
            QVERIFY(boot.enter(code));
        QVERIFY(boot.waitFor(QStringLiteral("Enabled %1").arg(result)));
        QCOMPARE(boot.simCalls(method).size(), code.isEmpty() ? 0 : 1);
        QTRY_VERIFY(boot.page(false).isEmpty());

        // The state as the card has it now, whatever the argument says.
        QCOMPARE(boot.call(QStringLiteral("PinQueryState"), { QStringLiteral("anything") }).type(),
            QDBusMessage::ReplyMessage);
        QVERIFY(boot.waitFor(QStringLiteral("State %1").arg(result), code.isEmpty() ? 2 : 1));
        QCOMPARE(boot.seen().filter(QStringLiteral("Enabled")),
            QStringList { QStringLiteral("Enabled %1").arg(result) });
        QVERIFY(boot.logKeepsSecret({ Pin, WrongPin }));
    }

    // Nothing to switch while the SIM still wants its PIN: refused at once.
    void enableRefusedWhileLocked()
    {
        Phone boot(sim({ { QStringLiteral("pin_locked"), true } }));
        QVERIFY(boot.start());
        QVERIFY(boot.fifo.waitForTokens(1));
        QCOMPARE(boot.call(QStringLiteral("EnablePinQuery"), { true }).type(), QDBusMessage::ReplyMessage);
        QVERIFY(boot.waitFor(QStringLiteral("Enabled -1")));
        QVERIFY(boot.page(false).isEmpty());
    }

    // The installed policy on the enforcing bus: root may call, a user who
    // is not at the console may not, and everybody hears the signals.
    void policy()
    {
        Phone boot(sim({ { QStringLiteral("pin_locked"), false } }));
        QVERIFY(readySim(boot, false));
        QProcess stranger;
        XTools::startAsNobody(stranger,
            { QStringLiteral("gdbus"), QStringLiteral("call"), QStringLiteral("--system"),
                QStringLiteral("--dest"), QStringLiteral("com.vexa.korva.pin"),
                QStringLiteral("--object-path"), QStringLiteral("/com/vexa/korva/pin"),
                QStringLiteral("--method"), QStringLiteral("com.vexa.korva.pin.PinCodeQuery.LaunchPinQuery"),
                QStringLiteral("pin") });
        QVERIFY(stranger.waitForFinished(20000));
        QVERIFY(stranger.exitCode() != 0);
        QVERIFY2(stranger.readAllStandardError().contains("AccessDenied"), "a stranger reached the service");
        QCOMPARE(boot.launch(), 0);

        QProcess listener;
        XTools::startAsNobody(listener,
            { QStringLiteral("gdbus"), QStringLiteral("monitor"), QStringLiteral("--system"),
                QStringLiteral("--dest"), QStringLiteral("com.vexa.korva.pin") });
        QByteArray heard;
        auto hear = [&] {
            listener.waitForReadyRead(100);
            heard += listener.readAllStandardOutput();
            return heard;
        };
        QTRY_VERIFY(hear().contains("is owned by"));
        QCOMPARE(boot.call(QStringLiteral("PinQueryState"), { QStringLiteral("pin") }).type(),
            QDBusMessage::ReplyMessage);
        QVERIFY(boot.waitFor(QStringLiteral("State 1")));
        // The launch on a ready SIM showed nothing and ended nothing.
        QCOMPARE(boot.seen(), QStringList { QStringLiteral("State 1") });
        QVERIFY(boot.page(false).isEmpty());
        QTRY_VERIFY(hear().contains("PinQueryStateCompleted (1,)"));
        listener.kill();
        listener.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestPinQuery)
#include "tst_pinquery.moc"
