#include <Phone.h>

#include <XTools.h>

#include <QTest>

using namespace Qt::StringLiterals;

// The PIN query service, each flow a user meets: the boot's PIN stage (the
// start-up sequence calls LaunchPinQuery), and what the settings application
// asks of a ready SIM (change the PIN, switch the query, read its state);
// the user types on the page, the SIM simulator judges; and who may ask.
class TestPinQuery : public QObject
{
    Q_OBJECT

private:
    // Eight digits: no shorter run of digits in a log line can pass for them.
    const QString Pin = u"24681357"_s;
    const QString WrongPin = u"13572468"_s;
    const QString Puk = u"97531864"_s;
    const QString WrongPuk = u"86420975"_s;
    const QString NewPin = u"31415926"_s;
    const QString OtherPin = u"27182818"_s;
    const QStringList Ready { u"KORVA_READY"_s };
    const QStringList ReadyDone { u"KORVA_READY"_s, u"PIN_CODE_DONE"_s };

    QVariantMap sim(const QVariantMap& more = {}) const
    {
        QVariantMap p { { u"pin"_s, Pin }, { u"puk"_s, Puk } };
        p.insert(more);
        return p;
    }

    static QString stackingLayer(const QString& window)
    {
        return XTools::xprop(window, u"_TARN_STACKING_LAYER"_s).section(QLatin1Char('='), 1).trimmed();
    }

    // A ready SIM whose PIN query is on (locked) or off.
    bool readySim(Phone& boot, bool locked)
    {
        // A card unlocked behind the daemon's back ends the boot's PIN stage.
        return boot.start() && (!locked || boot.ofono.step(u"SetPinRequired:none"_s))
            && boot.fifo.waitForTokens(2) && boot.waitLog(u"new SimStateOk"_s) && boot.daemon.ping();
    }

    // Brings the boot to a shown PIN page.
    void launchToPage(Phone& boot)
    {
        QVERIFY(boot.fifo.waitForTokens(1));
        QCOMPARE(boot.fifo.tokens(), Ready);
        QVERIFY(boot.page(false).isEmpty());
        QCOMPARE(boot.launch(), 1);
        QVERIFY(boot.waitFor(u"Shown"_s));
        QVERIFY(!boot.page().isEmpty());
    }

    void expectDone(Phone& boot, bool ok)
    {
        QVERIFY(boot.waitFor(ok ? u"Done true"_s : u"Done false"_s));
        QVERIFY(boot.fifo.waitForTokens(2));
        QCOMPARE(boot.fifo.tokens(), ReadyDone);
        QTRY_VERIFY(boot.page(false).isEmpty());
        QVERIFY(boot.daemon.ping());
        QCOMPARE(boot.seen().filter(u"Done"_s).size(), 1);
        QVERIFY2(!boot.daemon.output().contains("Could not parse"_L1), "the theme does not parse");
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
        QVERIFY(boot.waitLog(u"Incorrect PIN code"_s));
        QVERIFY(boot.waitLog(u"2 attempts left"_s));
        QVERIFY(!boot.page(false).isEmpty());
        QCOMPARE(boot.seen(), QStringList { u"Shown"_s });
        QVERIFY(boot.enter(Pin));
        expectDone(boot, true);
        QCOMPARE(boot.seen(), (QStringList { u"Shown"_s, u"Done true"_s }));
        QCOMPARE(boot.simCalls(u"EnterPin"_s).size(), 2);
        QCOMPARE(boot.simCalls(u"EnterPin"_s).last(), (QVariantList { u"pin"_s, Pin }));
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
        QVERIFY(boot.waitLog(u"2 attempts left"_s));
        QVERIFY(boot.enter(WrongPin));
        QVERIFY(boot.waitLog(u"1 attempt left before the PIN is blocked"_s));
        QVERIFY(boot.enter(WrongPin));
        // The first PUK page says why it is there.
        QVERIFY(boot.waitFor(u"Shown"_s, 2));
        QVERIFY(boot.waitLog(u"hint: \"SIM card locked. Enter the PUK code from your operator\""_s));
        QCOMPARE(boot.seen().filter(u"Done"_s).size(), 0);
        QCOMPARE(boot.fifo.tokens(), Ready);

        QVERIFY(boot.enter(WrongPuk));
        QVERIFY(boot.waitLog(u"\"Enter new PIN code\""_s));
        QVERIFY(boot.enter(NewPin));
        QVERIFY(boot.waitLog(u"\"Re-enter new PIN code\""_s));
        QVERIFY(boot.enter(NewPin));
        QVERIFY(boot.waitLog(u"\"Incorrect PUK code\""_s));

        QVERIFY(boot.enter(Puk));
        QVERIFY(boot.waitLog(u"\"Enter new PIN code\""_s, 2));
        QVERIFY(boot.enter(NewPin));
        QVERIFY(boot.waitLog(u"\"Re-enter new PIN code\""_s, 2));
        QVERIFY(boot.enter(OtherPin));
        QVERIFY(boot.waitLog(u"\"PIN codes do not match\""_s));
        QVERIFY(boot.enter(NewPin));
        QVERIFY(boot.waitLog(u"\"Re-enter new PIN code\""_s, 3));
        QVERIFY(boot.enter(NewPin));
        expectDone(boot, true);

        QCOMPARE(boot.simCalls(u"ResetPin"_s),
            (QList<QVariantList> { { u"puk"_s, WrongPuk, NewPin }, { u"puk"_s, Puk, NewPin } }));
        QTRY_VERIFY2(!notifications.notes().isEmpty(), qPrintable(boot.daemon.output().right(6000)));
        QVERIFY(notifications.shown().last().startsWith("PIN code changed|"_L1));
        QVERIFY(boot.logKeepsSecret({ Pin, WrongPin, Puk, WrongPuk, NewPin, OtherPin }));
    }

    // The card goes while its PIN is asked for: that query is over, failed.
    void simRemovedDuringQuery()
    {
        Phone boot(sim());
        QVERIFY(boot.start());
        launchToPage(boot);
        QVERIFY(boot.ofono.step(u"SetSimPresent:false"_s));
        expectDone(boot, false);
    }

    // No modem at boot: after the start-response timeout the boot goes on;
    // a SIM that asks for its PIN later gets its page without a launch.
    void noModemThenPin()
    {
        Phone boot(sim({ { u"modem_absent"_s, true } }));
        QVERIFY(boot.start());
        QVERIFY(boot.fifo.waitForTokens(1));
        QVERIFY(boot.waitLog(u"SIM not OK, start timer..."_s));
        QVERIFY(boot.fifo.waitForTokens(2, 30000));
        QCOMPARE(boot.fifo.tokens(), ReadyDone);
        QVERIFY(boot.seen().isEmpty());

        QVERIFY(boot.ofono.step(u"AddModem"_s));
        QVERIFY(boot.waitFor(u"Shown"_s));
        QVERIFY(boot.enter(Pin));
        QVERIFY(boot.waitFor(u"Done true"_s));
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
        QVERIFY(boot.start({ u"-log"_s, u"-prestart"_s }));
        QVERIFY(boot.daemon.ping());
        QVERIFY(boot.fifo.tokens().isEmpty());
        if (launched)
            QCOMPARE(boot.launch(), 1);
        QVERIFY(boot.daemon.ping());
        QVERIFY(boot.page(false).isEmpty());
        QVERIFY(boot.seen().isEmpty());
        QVERIFY(!boot.fifo.tokens().contains(u"PIN_CODE_DONE"_s));

        QVERIFY(DaemonProcess::release());
        if (launched) {
            QVERIFY(boot.waitFor(u"Shown"_s));
            QVERIFY(boot.enter(Pin));
            expectDone(boot, true);
        } else {
            QVERIFY(boot.fifo.waitForTokens(2));
            QCOMPARE(boot.fifo.tokens(), ReadyDone);
            QTRY_VERIFY(!notifications.notes().isEmpty());
            QVERIFY(notifications.shown().first().startsWith("SIM card error|"_L1));
            QVERIFY(boot.daemon.ping());
            QVERIFY(boot.seen().isEmpty());
            // A late launch still gets its page.
            QCOMPARE(boot.launch(), 1);
            QVERIFY(boot.waitFor(u"Shown"_s));
        }
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
        QCOMPARE(boot.fifo.tokens(), ReadyDone);

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

    // 112 typed on the PIN page: the emergency key calls at once, the page
    // steps back for the call and returns above everything after it.
    void emergencyCall()
    {
        Phone boot(sim());
        QVERIFY(boot.start());
        launchToPage(boot);
        const QString window = boot.page();
        QCOMPARE(stackingLayer(window), u"3"_s);
        QVERIFY(XTools::type(window, u"112"_s));
        QVERIFY(boot.daemon.ping());

        const QRect g = XTools::geometry(window);
        // The bottom-left key of the keypad.
        QVERIFY(XTools::click(g.x() + g.width() * 93 / 480, g.y() + g.height() * 688 / 854));
        QTRY_COMPARE(boot.simCalls(u"Dial"_s).size(), 1);
        QCOMPARE(boot.simCalls(u"Dial"_s).first().value(0).toString(), u"112"_s);
        QVERIFY(boot.waitLog(u"UI on top: true"_s));
        QTRY_COMPARE(stackingLayer(window), u"0"_s);

        const QDBusMessage hangup = boot.ofono.control(
            QLatin1String(Phone::Modem), u"HangupAll"_s, {}, u"org.ofono.VoiceCallManager"_s);
        QCOMPARE(hangup.type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE(stackingLayer(window), u"3"_s);
        // The query is still there for the PIN.
        for (int i = 0; i < 3; ++i)
            QVERIFY(XTools::key(window, u"BackSpace"_s));
        QVERIFY(boot.seen().filter(u"Done"_s).isEmpty());
        QVERIFY(boot.enter(Pin));
        QVERIFY(boot.waitFor(u"Done true"_s));
    }

    // The card judges the old PIN only in the change itself: the user types
    // the old PIN and the new one twice whether the old one is right or not.
    // A card with its PIN query off is not asked for codes at all, and a new
    // PIN equal to the old one (which oFono would wave through unchecked) is
    // asked for again.
    void changePin_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("sent"); // old PIN of the one ChangePin; empty: none
        QTest::addColumn<QString>("note");
        QTest::newRow("right old PIN")
            << true << QStringList { Pin, NewPin, NewPin } << Pin << u"PIN code changed|cellular.positive"_s;
        QTest::newRow("wrong old PIN") << true << QStringList { WrongPin, NewPin, NewPin } << WrongPin
                                       << u"Incorrect PIN code|sim.error"_s;
        QTest::newRow("new PIN as old") << true << QStringList { Pin, Pin, Pin, NewPin, NewPin } << Pin
                                        << u"PIN code changed|cellular.positive"_s;
        QTest::newRow("PIN query off")
            << false << QStringList() << QString() << u"SIM card error|sim.error.strong"_s;
    }

    void changePin()
    {
        QFETCH(bool, locked);
        QFETCH(QStringList, typed);
        QFETCH(QString, sent);
        QFETCH(QString, note);
        NotificationsMock notifications;
        QVERIFY(notifications.start());
        Phone boot(sim({ { u"pin_locked"_s, locked } }));
        QVERIFY(readySim(boot, locked));
        // The card turned ready: the boot's PIN stage is over.
        QCOMPARE(boot.fifo.tokens(), ReadyDone);
        QCOMPARE(boot.call(u"ChangePinCode"_s).type(), QDBusMessage::ReplyMessage);
        // Old PIN, new, again: each entry but the last brings the next title.
        // A new PIN equal to the old one starts the new PIN over.
        QHash<QString, int> titles;
        for (int i = 0; i < typed.size(); ++i) {
            QVERIFY(boot.enter(typed.at(i)));
            const QString title = i % 2 ? u"\"Re-enter new PIN code\""_s : u"\"Enter new PIN code\""_s;
            if (i + 1 < typed.size())
                QVERIFY(boot.waitLog(title, ++titles[title]));
        }
        QTRY_VERIFY(boot.page(false).isEmpty());
        QTRY_COMPARE(notifications.shown(), QStringList { note });
        const QList<QVariantList> change { { u"pin"_s, sent, NewPin } };
        QCOMPARE(boot.simCalls(u"ChangePin"_s), sent.isEmpty() ? QList<QVariantList>() : change);
        QVERIFY(boot.simCalls(u"LockPin"_s).isEmpty() && boot.simCalls(u"UnlockPin"_s).isEmpty());
        QVERIFY(boot.daemon.ping());
        // Not a boot query: no PIN query signals, no further token.
        QVERIFY(boot.seen().filter(u"Shown"_s).isEmpty() && boot.seen().filter(u"Done"_s).isEmpty());
        QCOMPARE(boot.fifo.tokens(), ReadyDone);
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
        Phone boot(sim({ { u"pin_locked"_s, locked } }));
        QVERIFY(readySim(boot, locked));
        QCOMPARE(boot.call(u"EnablePinQuery"_s, { enable }).type(), QDBusMessage::ReplyMessage);
        if (!code.isEmpty())
            QVERIFY(boot.enter(code));
        QVERIFY(boot.waitFor(u"Enabled %1"_s.arg(result)));
        QCOMPARE(boot.simCalls(method).size(), code.isEmpty() ? 0 : 1);
        QTRY_VERIFY(boot.page(false).isEmpty());

        // The state as the card has it now, whatever the argument says.
        QCOMPARE(boot.call(u"PinQueryState"_s, { u"anything"_s }).type(), QDBusMessage::ReplyMessage);
        QVERIFY(boot.waitFor(u"State %1"_s.arg(result), code.isEmpty() ? 2 : 1));
        QCOMPARE(boot.seen().filter(u"Enabled"_s), QStringList { u"Enabled %1"_s.arg(result) });
        QVERIFY(boot.logKeepsSecret({ Pin, WrongPin }));
    }

    // Nothing to switch while the SIM still wants its PIN: refused at once.
    void enableRefusedWhileLocked()
    {
        Phone boot(sim({ { u"pin_locked"_s, true } }));
        QVERIFY(boot.start());
        QVERIFY(boot.fifo.waitForTokens(1));
        QCOMPARE(boot.call(u"EnablePinQuery"_s, { true }).type(), QDBusMessage::ReplyMessage);
        QVERIFY(boot.waitFor(u"Enabled -1"_s));
        QVERIFY(boot.page(false).isEmpty());
    }

    // The installed policy on the enforcing bus: root may call, a user who
    // is not at the console may not, and everybody hears the signals.
    void policy()
    {
        Phone boot(sim({ { u"pin_locked"_s, false } }));
        QVERIFY(readySim(boot, false));
        QProcess stranger;
        XTools::startAsNobody(stranger,
            { u"gdbus"_s, u"call"_s, u"--system"_s, u"--dest"_s, u"com.vexa.korva.pin"_s, u"--object-path"_s,
                u"/com/vexa/korva/pin"_s, u"--method"_s, u"com.vexa.korva.pin.PinCodeQuery.LaunchPinQuery"_s,
                u"pin"_s });
        QVERIFY(stranger.waitForFinished(20000));
        QVERIFY(stranger.exitCode() != 0);
        QVERIFY2(stranger.readAllStandardError().contains("AccessDenied"), "a stranger reached the service");
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
        listener.kill();
        listener.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestPinQuery)
#include "tst_pinquery.moc"
