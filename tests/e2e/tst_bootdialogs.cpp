#include <Phone.h>
#include <XTools.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// The questions the real daemon asks before the PIN stage: a modem that
// failed turns it into a zombie that only shows the failure, and radios that
// are off ask whether to leave offline mode. Both hold the PIN stage until
// answered and, prestarted, wait for the platform's release.
class TestBootDialogs : public QObject
{
    Q_OBJECT

    static constexpr const char* Request = "/com/vexa/pavo/request";
    const QStringList Ready { QStringLiteral("KORVA_READY") };
    const QStringList ReadyDone { QStringLiteral("KORVA_READY"), QStringLiteral("PIN_CODE_DONE") };
    const QString Dialogs = QStringLiteral("^Error$|^Offline mode$");

    static QVariantMap failedModem() { return { { QStringLiteral("power_fails"), true } }; }
    static MockService* pavo(const QVariantMap& params)
    {
        return new MockService(
            QStringLiteral("pavo"), QStringLiteral("com.vexa.pavo"), MockService::SystemBus, params);
    }
    static QString requested(bool offline)
    {
        return QStringLiteral("query manager requested, offline: %1").arg(offline ? "true" : "false");
    }

private Q_SLOTS:
    void dialog_data()
    {
        QTest::addColumn<bool>("zombie");
        QTest::addColumn<bool>("prestarted");
        QTest::addColumn<QString>("answer"); // yes, no or enter
        QTest::newRow("zombie") << true << false << "enter";
        QTest::newRow("zombie, prestarted") << true << true << "enter";
        QTest::newRow("offline, yes") << false << false << "yes";
        QTest::newRow("offline, no") << false << false << "no";
        // Enter answers with the positive button, never with No.
        QTest::newRow("offline, enter") << false << false << "enter";
        QTest::newRow("offline, prestarted, no") << false << true << "no";
    }

    void dialog()
    {
        QFETCH(bool, zombie);
        QFETCH(bool, prestarted);
        QFETCH(QString, answer);
        const QString title = QLatin1String(zombie ? "^Error$" : "^Offline mode$");
        QScopedPointer<MockService> radios(pavo({ { QStringLiteral("radio_states"), 0u } }));
        FeedbackdMock feedbackd;
        QVERIFY(feedbackd.start() && (zombie || radios->start()));
        Phone phone(failedModem(), zombie);
        QVERIFY(phone.start(prestarted ? QStringList { QStringLiteral("-log"), QStringLiteral("-prestart") }
                                       : QStringList { QStringLiteral("-log") },
            nullptr));
        QVERIFY2(phone.fifo.waitForTokens(1), qPrintable(phone.daemon.output()));
        QCOMPARE(phone.fifo.tokens(), Ready);
        if (prestarted) {
            QVERIFY(phone.daemon.ping());
            QVERIFY(XTools::findWindows(title, false).isEmpty());
            QVERIFY(DaemonProcess::release());
        }
        const QStringList windows = XTools::findWindows(title, true);
        QCOMPARE(windows.size(), 1);
        if (prestarted) {
            // A second release shows nothing more.
            QVERIFY(DaemonProcess::release());
            QVERIFY(phone.daemon.ping());
            QCOMPARE(XTools::findWindows(title, false).size(), 1);
        }
        // The dialog speaks English, not identifiers.
        QVERIFY(XTools::xprop(windows.first(), QStringLiteral("WM_NAME"))
                    .contains(QLatin1String(zombie ? "\"Error\"" : "\"Offline mode\"")));
        QVERIFY(phone.daemon.ping());
        const QString asked = phone.daemon.output();
        QVERIFY(!asked.contains(QLatin1String("query manager requested")));
        if (zombie) {
            // With the strong warning; the zombie offers none of the daemon's services.
            QTRY_COMPARE(feedbackd.events(), QStringList { QStringLiteral("warning_strong") });
            QCOMPARE(
                feedbackd.calls(QStringLiteral("/org/sigxcpu/Feedback"), QStringLiteral("TriggerFeedback"))
                    .first()
                    .value(0)
                    .toString(),
                QStringLiteral("korvad"));
            QVERIFY(asked.contains(QLatin1String("Modem failure: korvad is zombie.")));
            QVERIFY(asked.contains(QLatin1String("application name: korvad ZOMBIE\n")));
            QVERIFY(!asked.contains(QLatin1String("starting Korva UI daemon")));
        }
        QCOMPARE(phone.fifo.tokens(), Ready);

        QVERIFY(answer == QLatin1String("enter")
                ? XTools::key(windows.first(), QStringLiteral("Return"))
                : XTools::pressDialogButton(windows.first(), answer == "yes"));
        const bool online = !zombie && answer != QLatin1String("no");
        if (!zombie)
            QVERIFY2(phone.daemon.waitForOutput(requested(!online)) > 0, qPrintable(phone.daemon.output()));
        const QList<QVariantList> switched = zombie
            ? QList<QVariantList>()
            : radios->calls(Request, QStringLiteral("req_radio_states_change"));
        if (online) {
            QCOMPARE(switched, (QList<QVariantList> { { 1u, 1u } }));
            QVERIFY(phone.daemon.ping());
            // PIN_CODE_DONE is the query manager's to write.
            QCOMPARE(phone.fifo.tokens(), Ready);
        } else {
            QVERIFY(switched.isEmpty());
            QVERIFY(phone.fifo.waitForTokens(2));
            QCOMPARE(phone.fifo.tokens(), ReadyDone);
        }
        if (prestarted)
            QVERIFY(DaemonProcess::release());
        QVERIFY(phone.daemon.ping());
        QVERIFY(XTools::findWindows(title, false).isEmpty());
        if (zombie)
            return;
        const QString out = phone.daemon.output();
        QCOMPARE(out.count(QLatin1String("query manager requested")), 1);
        QCOMPARE(radios->calls(Request, QStringLiteral("get_radio_states")).size(), 1);
        if (!online) {
            QVERIFY(out.indexOf(QLatin1String("STAY IN OFFLINE"))
                < out.indexOf(QLatin1String("PIN_CODE_DONE in")));
            QVERIFY(out.indexOf(QLatin1String("PIN_CODE_DONE in")) < out.indexOf(requested(true)));
        }
    }

    // Only a modem that failed is fatal, and only radios known to be off ask:
    // a device mode service that cannot say counts as online.
    void noDialog_data()
    {
        QTest::addColumn<bool>("withOfono");
        QTest::addColumn<QVariantMap>("ofono");
        QTest::addColumn<QVariantMap>("radios"); // empty: no device mode service
        const QVariantMap none;
        QTest::newRow("modem up") << true << none << none;
        QTest::newRow("modem unpowered") << true << QVariantMap { { "powered", false } } << none;
        QTest::newRow("no modem yet") << true << QVariantMap { { "modem_absent", true } } << none;
        QTest::newRow("nothing running") << false << none << none;
        QTest::newRow("radio states unknown: error")
            << false << none << QVariantMap { { "radio_states", 0u }, { "answer", "error" } };
        QTest::newRow("radio states unknown: no arguments")
            << false << none << QVariantMap { { "radio_states", 0u }, { "answer", "noargs" } };
    }

    void noDialog()
    {
        QFETCH(bool, withOfono);
        QFETCH(QVariantMap, ofono);
        QFETCH(QVariantMap, radios);
        QScopedPointer<MockService> mock(pavo(radios));
        QVERIFY(radios.isEmpty() || mock->start());
        Phone phone(ofono, withOfono);
        QVERIFY(phone.start({ QStringLiteral("-log") }, nullptr));
        QVERIFY2(phone.daemon.waitForOutput(requested(false)) > 0, qPrintable(phone.daemon.output()));
        QVERIFY(phone.daemon.ping());
        const QString out = phone.daemon.output();
        QVERIFY(out.contains(QLatin1String("starting Korva UI daemon")));
        QVERIFY(!out.contains(QLatin1String("zombie")));
        QVERIFY(XTools::findWindows(Dialogs, false).isEmpty());
        QVERIFY(!phone.fifo.tokens().contains(QStringLiteral("PIN_CODE_DONE")));
        if (!radios.isEmpty())
            QCOMPARE(mock->calls(Request, QStringLiteral("get_radio_states")).size(), 1);
    }

    // Stopping the zombie is no answer of the user's, and a stop while the
    // init system does not read its fifo is not lost.
    void interruptedZombie_data()
    {
        QTest::addColumn<bool>("reading");
        QTest::newRow("dialog shown") << true;
        QTest::newRow("token write blocked") << false;
    }

    void interruptedZombie()
    {
        QFETCH(bool, reading);
        Phone phone(failedModem());
        QTemporaryDir dir;
        const QString unread = dir.filePath(QStringLiteral("unread.fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(unread).constData(), 0600), 0);
        if (!reading)
            phone.daemon.setFifo(unread);
        QVERIFY(phone.start({ QStringLiteral("-log") }, nullptr));
        QVERIFY(reading ? XTools::findWindows(QStringLiteral("^Error$"), true).size() == 1
                        : phone.daemon.waitForOutput(QStringLiteral("req: true false")) > 0);
        phone.daemon.interrupt();
        QVERIFY(phone.daemon.waitForExit());
        QCOMPARE(phone.daemon.process().exitCode(), 0);
        QCOMPARE(phone.daemon.output().contains(QLatin1String("KORVA_READY not delivered: interrupted")),
            !reading);
        // Whatever the daemon wrote comes before the marker.
        QVERIFY(std::system(qPrintable(QStringLiteral("echo END > '%1'").arg(phone.fifo.path()))) == 0);
        QVERIFY(phone.fifo.waitForTokens(reading ? 2 : 1));
        QCOMPARE(phone.fifo.tokens().last(), QStringLiteral("END"));
        QVERIFY(!phone.fifo.tokens().contains(QStringLiteral("PIN_CODE_DONE")));
    }
};

QTEST_GUILESS_MAIN(TestBootDialogs)
#include "tst_bootdialogs.moc"
