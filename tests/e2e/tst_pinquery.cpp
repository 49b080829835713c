#include "PinBoot.h"

#include <XTools.h>

#include <QTest>

// The boot's PIN stage, each flow a user meets: the start-up sequence calls
// LaunchPinQuery, the user types on the page, the SIM simulator judges.
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

    // Brings the boot to a shown PIN page.
    void launchToPage(PinBoot& boot)
    {
        QVERIFY(boot.fifo.waitForTokens(1));
        QCOMPARE(boot.fifo.tokens(), Ready);
        QVERIFY(boot.page(false).isEmpty());
        QCOMPARE(boot.launch(), 1);
        QVERIFY(boot.waitFor(QStringLiteral("Shown")));
        QVERIFY(!boot.page().isEmpty());
    }

    void expectDone(PinBoot& boot, bool ok)
    {
        QVERIFY(boot.waitFor(ok ? QStringLiteral("Done true") : QStringLiteral("Done false")));
        QVERIFY(boot.fifo.waitForTokens(2));
        QCOMPARE(boot.fifo.tokens(), ReadyDone);
        QTRY_VERIFY(boot.page(false).isEmpty());
        QVERIFY(boot.daemon.ping());
        QCOMPARE(boot.seen().filter(QStringLiteral("Done")).size(), 1);
    }

private Q_SLOTS:
    void bootPin_data()
    {
        QTest::addColumn<int>("wrong");
        QTest::newRow("right first time") << 0;
        QTest::newRow("wrong, then right") << 1;
    }

    void bootPin()
    {
        QFETCH(int, wrong);
        PinBoot boot(sim());
        QVERIFY(boot.start());
        launchToPage(boot);
        // Another launch while the query runs changes nothing.
        QCOMPARE(boot.launch(), 0);
        for (int i = 1; i <= wrong; ++i) {
            QVERIFY(boot.enter(WrongPin));
            QVERIFY(boot.waitLog(QStringLiteral("Incorrect PIN code"), i));
            QVERIFY(boot.waitLog(QStringLiteral("2 attempts left")));
            QVERIFY(!boot.page(false).isEmpty());
        }
        QCOMPARE(boot.seen(), QStringList { QStringLiteral("Shown") });
        QVERIFY(boot.enter(Pin));
        expectDone(boot, true);
        QCOMPARE(boot.seen(), (QStringList { QStringLiteral("Shown"), QStringLiteral("Done true") }));
        QCOMPARE(boot.simCalls(QStringLiteral("EnterPin")).size(), wrong + 1);
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
        PinBoot boot(sim());
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
        const QVariantList note = notifications.notes().last();
        QVERIFY(note.contains(QStringLiteral("PIN code changed")));
        QVERIFY(boot.logKeepsSecret({ Pin, WrongPin, Puk, WrongPuk, NewPin, OtherPin }));
    }

    // The card goes while its PIN is asked for: that query is over, failed.
    void simRemovedDuringQuery()
    {
        PinBoot boot(sim());
        QVERIFY(boot.start());
        launchToPage(boot);
        QCOMPARE(boot.ofono.control(QStringLiteral("/"), QStringLiteral("SetSimPresent"), { false }).type(),
            QDBusMessage::ReplyMessage);
        expectDone(boot, false);
    }

    void simReadyAtBoot()
    {
        PinBoot boot(sim({ { QStringLiteral("pin_locked"), false } }));
        QVERIFY(boot.start());
        QVERIFY(boot.fifo.waitForTokens(2));
        QCOMPARE(boot.fifo.tokens(), ReadyDone);
        QCOMPARE(boot.launch(), 0);
        QVERIFY(boot.daemon.ping());
        QVERIFY(boot.page(false).isEmpty());
        QVERIFY(boot.seen().isEmpty());
    }

    // No modem at boot: after the start-response timeout the boot goes on;
    // a SIM that asks for its PIN later gets its page without a launch.
    void noModemThenPin()
    {
        PinBoot boot(sim({ { QStringLiteral("modem_absent"), true } }));
        QVERIFY(boot.start());
        QVERIFY(boot.fifo.waitForTokens(1));
        QVERIFY(boot.waitLog(QStringLiteral("SIM not OK, start timer...")));
        QVERIFY(boot.fifo.waitForTokens(2, 30000));
        QCOMPARE(boot.fifo.tokens(), ReadyDone);
        QVERIFY(boot.seen().isEmpty());

        QCOMPARE(boot.ofono.control(QStringLiteral("/"), QStringLiteral("AddModem")).type(),
            QDBusMessage::ReplyMessage);
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
        PinBoot boot(sim());
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
            QVERIFY(notifications.notes().first().contains(QStringLiteral("SIM card error")));
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
        PinBoot boot(sim());
        QVERIFY(boot.start({ QStringLiteral("-log") }, false));
        const QString question = XTools::findWindows(QStringLiteral("^Offline mode$"), true).value(0);
        QVERIFY(!question.isEmpty());
        QVERIFY(XTools::key(question, QStringLiteral("Escape")));
        QVERIFY(boot.waitForService());
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
        PinBoot boot(sim());
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
            = QDBusMessage::createMethodCall(QStringLiteral("org.ofono"), QLatin1String(PinBoot::Modem),
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
};

QTEST_GUILESS_MAIN(TestPinQuery)
#include "tst_pinquery.moc"
