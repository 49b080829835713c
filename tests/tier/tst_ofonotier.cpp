#include <Phone.h>

#include <XTools.h>

#include <QDBusMessage>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

// The PIN flows end to end on the real oFono daemon (tst_ofonotier) or the
// real ModemManager (tst_mmtier), a simulated modem and card below it: the boot's PIN stage as a phone meets
// it (korvad powers the modem, the modem may come late), what the settings application asks of a ready SIM,
// and the emergency call from the PIN page. The card judges every code; what reached it is read from the
// modem's command log.
class TestOfonoTier : public QObject
{
    Q_OBJECT

private:
    const QString Pin = Phone::Pin;
    const QString WrongPin = u"13572468"_s;
    const QString Puk = Phone::Puk;
    const QString WrongPuk = u"86420975"_s;
    const QString NewPin = u"31415926"_s;
    const QStringList Ready { u"KORVA_READY"_s };

    QStringList card(const QString& lock = u"on"_s) const
    {
        return { u"pin "_s + Pin, u"puk "_s + Puk, u"lock "_s + lock };
    }

    // The commands that carried a code to the card, from the `from`th on.
    static QStringList codesSent(Phone& boot, int from = 0)
    {
        return boot.realOfono.received().mid(from).filter(
            QRegularExpression(u"^AT\\+C(PIN|PWD|LCK)=.*\"\\d+\""_s));
    }

    // Boots with oFono and its modem there, the start-up sequence's launch
    // sent the moment korvad is ready; the card asks for its PIN.
    void bootAndLaunch(Phone& boot)
    {
        QVERIFY(boot.realOfono.start(card()));
        QVERIFY(boot.start());
        QVERIFY(boot.fifo.waitForTokens(1));
        QVERIFY(boot.launch() >= 0);
        QVERIFY(boot.waitFor(u"Shown"_s));
        QVERIFY(!boot.page().isEmpty());
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!OfonoDaemon::available())
            QSKIP("needs root, and the simready plugin or ModemManager");
    }

    static bool onModemManager() { return qgetenv("KORVAD_CELLULAR_BACKEND") == "modemmanager"; }

    // Three wrong PINs block it; a wrong PUK keeps the PUK page; then PUK and
    // new PIN go to the card in one command.
    void pukUnblocks()
    {
        NotificationsMock notifications;
        QVERIFY(notifications.start());
        Phone boot({}, false);
        STEP(bootAndLaunch(boot));
        for (int i = 0; i < 2; ++i) {
            QVERIFY(boot.enter(WrongPin));
            QVERIFY(boot.waitLog(u"Incorrect PIN code"_s, i + 1));
        }
        QVERIFY(boot.enter(WrongPin));
        QVERIFY(boot.waitFor(u"Shown"_s, 2));
        QVERIFY(boot.waitLog(u"hint: \"SIM card locked. Enter the PUK code from your operator\""_s));
        QCOMPARE(boot.realOfono.step(u"state"_s), u"puk"_s);

        for (const QString& puk : { WrongPuk, Puk }) {
            const int round = puk == Puk ? 2 : 1;
            QVERIFY(boot.enter(puk));
            QVERIFY(boot.waitLog(u"\"Enter new PIN code\""_s, round));
            QVERIFY(boot.enter(NewPin));
            QVERIFY(boot.waitLog(u"\"Re-enter new PIN code\""_s, round));
            QVERIFY(boot.enter(NewPin));
            if (puk == WrongPuk)
                QVERIFY(boot.waitLog(u"\"Incorrect PUK code\""_s));
        }
        STEP(boot.expectDone(true));
        const QString cpin = u"AT+CPIN=\"%1\",\"%2\""_s;
        QCOMPARE(codesSent(boot).mid(3), (QStringList { cpin.arg(WrongPuk, NewPin), cpin.arg(Puk, NewPin) }));
        QCOMPARE(boot.realOfono.step(u"state"_s), u"ready"_s);
        // The wrong PUK changed nothing, so it tells of no new PIN.
        COMPARE_NOTES(notifications, boot.daemon, QStringList { u"PIN code changed|cellular.positive"_s });
        QVERIFY(boot.logKeepsSecret({ Pin, WrongPin, Puk, WrongPuk, NewPin }));
    }

    // On the boot's page: a wrong PIN; a second launch that changes nothing;
    // an emergency number of the card's only, when oFono's modem goes online
    // and dials at once (ModemManager's dials locked), and the page steps back
    // for the call and returns above everything when the network ends it;
    // then the right PIN.
    void bootPinAndEmergencyCall()
    {
        NotificationsMock notifications;
        QVERIFY(notifications.start());
        Phone boot({}, false);
        STEP(bootAndLaunch(boot));
        QCOMPARE(boot.launch(), 0);
        QVERIFY(boot.enter(WrongPin));
        QVERIFY(boot.waitLog(u"2 attempts left"_s));
        QCOMPARE(boot.realOfono.step(u"left"_s), u"2 10"_s);

        const QString window = boot.page();
        QCOMPARE(boot.layer(), u"3"_s);
        QVERIFY(XTools::type(window, u"999"_s));
        QVERIFY(boot.daemon.ping());
        const bool online = !onModemManager();
        QVERIFY(!online || !boot.realOfono.received().contains(u"AT+CFUN=1"_s));
        const QRect g = XTools::geometry(window);
        // The bottom-left key of the keypad.
        QVERIFY(XTools::click(g.x() + g.width() * 93 / 480, g.y() + g.height() * 688 / 854));
        QVERIFY(boot.realOfono.waitReceived(u"ATD999;"_s));
        QVERIFY(!online || boot.realOfono.received().contains(u"AT+CFUN=1"_s));
        QTRY_COMPARE_WITH_TIMEOUT(boot.layer(), u"0"_s, 10000);
        QCOMPARE(boot.realOfono.step(u"hangup"_s), u"ok"_s);
        QTRY_COMPARE_WITH_TIMEOUT(boot.layer(), u"3"_s, 10000);

        for (int i = 0; i < 3; ++i)
            QVERIFY(XTools::key(window, u"BackSpace"_s));
        QCOMPARE(boot.fifo.tokens(), Ready);
        QVERIFY(boot.enter(Pin));
        STEP(boot.expectDone(true));
        QCOMPARE(boot.seen(), (QStringList { u"Shown"_s, u"Done true"_s }));
        QCOMPARE(codesSent(boot),
            (QStringList { u"AT+CPIN=\"%1\""_s.arg(WrongPin), u"AT+CPIN=\"%1\""_s.arg(Pin) }));
        COMPARE_NOTES(notifications, boot.daemon, QStringList());
        QVERIFY(boot.logKeepsSecret({ Pin, WrongPin }));
    }

    // What the settings application asks of a ready SIM. The card judges the
    // old PIN only in the change itself: old PIN, new PIN twice, one change
    // command, and the note after the card's answer. With the PIN query off no
    // code is asked for a change; a new PIN equal to the old one (which oFono
    // would wave through unchecked) is asked for again. Switching the query
    // asks the card only when the lock really changes.
    void settings_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QVariantList>("enable"); // empty: ChangePinCode
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("sent"); // the one command that carried a code
        QTest::addColumn<QString>("outcome");
        const QString changed = u"PIN code changed|cellular.positive"_s;
        const QString cpwd = u"AT+CPWD=\"SC\",\"%1\",\"%2\""_s;
        const QString clck = u"AT+CLCK=\"SC\",%1,\"%2\""_s;
        QTest::newRow("change") << true << QVariantList() << QStringList { Pin, NewPin, NewPin }
                                << cpwd.arg(Pin, NewPin) << changed;
        QTest::newRow("change, wrong old PIN")
            << true << QVariantList() << QStringList { WrongPin, NewPin, NewPin }
            << cpwd.arg(WrongPin, NewPin) << u"Incorrect PIN code|sim.error"_s;
        QTest::newRow("change, new PIN as old")
            << true << QVariantList() << QStringList { Pin, Pin, Pin, NewPin, NewPin }
            << cpwd.arg(Pin, NewPin) << changed;
        QTest::newRow("change, PIN query off")
            << false << QVariantList() << QStringList() << QString() << u"SIM card error|sim.error.strong"_s;
        QTest::newRow("switch off") << true << QVariantList { false } << QStringList { Pin }
                                    << clck.arg(0).arg(Pin) << u"Enabled 1"_s;
        QTest::newRow("switch on") << false << QVariantList { true } << QStringList { Pin }
                                   << clck.arg(1).arg(Pin) << u"Enabled 0"_s;
        QTest::newRow("already on") << true << QVariantList { true } << QStringList() << QString()
                                    << u"Enabled 0"_s;
        QTest::newRow("already off") << false << QVariantList { false } << QStringList() << QString()
                                     << u"Enabled 1"_s;
        QTest::newRow("switch off, wrong PIN") << true << QVariantList { false } << QStringList { WrongPin }
                                               << clck.arg(0).arg(WrongPin) << u"Enabled 0"_s;
    }

    void settings()
    {
        QFETCH(bool, locked);
        QFETCH(QVariantList, enable);
        QFETCH(QStringList, typed);
        QFETCH(QString, sent);
        QFETCH(QString, outcome);
        NotificationsMock notifications;
        QVERIFY(notifications.start());
        Phone boot({}, false);
        QVERIFY(boot.realOfono.start(card(locked ? u"on"_s : u"off"_s)) && boot.readySim(locked));
        const int before = int(boot.realOfono.received().size());
        QCOMPARE(boot.call(enable.isEmpty() ? u"ChangePinCode"_s : u"EnablePinQuery"_s, enable).type(),
            QDBusMessage::ReplyMessage);
        // Each entry but the last brings the next title.
        QHash<QString, int> titles;
        for (int i = 0; i < typed.size(); ++i) {
            QVERIFY(boot.enter(typed.at(i)));
            const QString title = i % 2 ? u"\"Re-enter new PIN code\""_s : u"\"Enter new PIN code\""_s;
            if (i + 1 < typed.size())
                QVERIFY(boot.waitLog(title, ++titles[title]));
        }
        if (enable.isEmpty()) {
            COMPARE_NOTES(notifications, boot.daemon, QStringList { outcome });
        } else {
            QVERIFY(boot.waitFor(outcome));
            // The state as the card has it now.
            QCOMPARE(boot.call(u"PinQueryState"_s, { u"pin"_s }).type(), QDBusMessage::ReplyMessage);
            // Without a page the switch itself reported the state once already.
            QVERIFY(
                boot.waitFor(QString(outcome).replace(u"Enabled"_s, u"State"_s), typed.isEmpty() ? 2 : 1));
            QCOMPARE(boot.seen().filter(u"Enabled"_s), QStringList { outcome });
        }
        QTRY_VERIFY(boot.page(false).isEmpty());
        if (!enable.isEmpty()) {
            // A wrong PIN is told of as in a change.
            const QStringList notes = typed.value(0) == WrongPin
                ? QStringList { u"Incorrect PIN code|sim.error"_s }
                : QStringList();
            COMPARE_NOTES(notifications, boot.daemon, notes);
        }
        QCOMPARE(codesSent(boot, before), sent.isEmpty() ? QStringList() : QStringList { sent });
        QCOMPARE(boot.realOfono.step(u"left"_s), typed.value(0) == WrongPin ? u"2 10"_s : u"3 10"_s);
        // Not a boot query: no further PIN query signal, no further token.
        QCOMPARE(boot.seen().filter(u"Done"_s).size(), locked ? 1 : 0);
        QCOMPARE(boot.fifo.tokens(), Phone::ReadyDone);
        QVERIFY(boot.logKeepsSecret({ Pin, WrongPin, NewPin }));
    }

    // The watcher's note for a denied registration and the start check's
    // zombie for a modem that cannot be enabled, from what ModemManager makes
    // of the simulated modem (on oFono through its mock: tst_watcher,
    // tst_daemonstart).
    void modemReports_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("note"); // empty: the zombie's error
        QTest::newRow("registration denied")
            << u"register 3"_s << u"SIM card registration failed|sim.error.sound"_s;
        QTest::newRow("cannot be enabled") << u"port close"_s << QString();
    }

    void modemReports()
    {
        if (!onModemManager())
            QSKIP("oFono's simulated modem always powers up and registers");
        QFETCH(QString, step);
        QFETCH(QString, note);
        NotificationsMock notifications;
        QVERIFY(notifications.start());
        Phone boot({}, false);
        QVERIFY(boot.realOfono.start(card(u"off"_s)));
        // The start check must find the modem taken up (disabled), not still coming.
        const QString mm = u"org.freedesktop.ModemManager1"_s;
        const QDBusMessage get
            = QDBusMessage::createMethodCall(mm, u"/org/freedesktop/ModemManager1/Modem/0"_s,
                  u"org.freedesktop.DBus.Properties"_s, u"Get"_s)
            << mm + u".Modem"_s << u"State"_s;
        QTRY_COMPARE_WITH_TIMEOUT(
            QDBusConnection::systemBus().call(get).arguments().value(0).value<QDBusVariant>().variant(),
            QVariant(3), 20000);
        QCOMPARE(boot.realOfono.step(step), u"ok"_s);
        QVERIFY(boot.start({ u"-log"_s }, nullptr));
        if (note.isEmpty())
            QVERIFY(boot.daemon.waitForOutput(u"Modem failure: korvad is zombie."_s) > 0
                && XTools::findWindows(u"^Error$"_s, true).size() == 1);
        else
            QTRY_COMPARE_WITH_TIMEOUT(notifications.shown(), QStringList { note }, 20000);
        QVERIFY(boot.daemon.ping());
    }

    // The boot's PIN stage as a phone meets it. korvad powers the modem; the
    // modem is there from the start (a race with the start-up sequence's
    // launch, so several boots) or comes seconds later, inside the start-up
    // window or after it, with or without a launch. A SIM asking for its PIN
    // gets its page either way; PIN_CODE_DONE comes after the PIN, or once the
    // window passed with nothing asking; PinQueryDone only for a page shown.
    void pinStage_data()
    {
        QTest::addColumn<int>("delayMs"); // the modem's arrival after korvad is ready; 0: before
        QTest::addColumn<bool>("launch");
        QTest::addColumn<int>("boots");
        QTest::newRow("modem there, launched") << 0 << true << 4;
        QTest::newRow("3 s, launched") << 3000 << true << 1;
        QTest::newRow("3 s, no launch") << 3000 << false << 1;
        QTest::newRow("13 s, launched") << 13000 << true << 1;
        QTest::newRow("13 s, no launch") << 13000 << false << 1;
    }

    void pinStage()
    {
        QFETCH(int, delayMs);
        QFETCH(bool, launch);
        QFETCH(int, boots);
        const QStringList stageOver = delayMs > 10000 ? Phone::ReadyDone : Ready;
        for (int i = 0; i < boots; ++i) {
            Phone boot({}, false);
            if (!delayMs)
                QVERIFY(boot.realOfono.start(card()));
            QVERIFY(boot.start());
            QVERIFY(boot.fifo.waitForTokens(1));
            QElapsedTimer clock;
            clock.start();
            if (launch)
                QVERIFY(boot.launch() >= 0);
            if (delayMs) {
                // The modem's arrival time is the scenario, not a wait for an event.
                QTest::qWait(int(delayMs - clock.elapsed()));
                QCOMPARE(boot.fifo.tokens(), stageOver);
                QVERIFY(boot.seen().isEmpty());
                QVERIFY(boot.realOfono.start(card()));
            }
            QVERIFY2(boot.waitFor(u"Shown"_s), qPrintable(u"boot %1"_s.arg(i)));
            QVERIFY(boot.daemon.ping());
            QCOMPARE(boot.seen(), QStringList { u"Shown"_s });
            QVERIFY2(
                boot.fifo.tokens() == stageOver, qPrintable(u"boot %1: the PIN stage ended early"_s.arg(i)));
            QVERIFY(boot.enter(Pin));
            STEP(boot.expectDone(true));
        }
    }
};

QTEST_GUILESS_MAIN(TestOfonoTier)
#include "tst_ofonotier.moc"
