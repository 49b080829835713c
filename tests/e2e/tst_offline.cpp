#include <DaemonProcess.h>
#include <FifoReader.h>
#include <MockService.h>
#include <XTools.h>

#include <QTest>

// The real daemon started with the radios off: the question to leave
// offline mode, its answers, the prestart, and a device mode service that
// cannot say (hung: see tst_wrongshapes).
class TestOffline : public QObject
{
    Q_OBJECT

private:
    static constexpr const char* Title = "^Offline mode$";
    static constexpr const char* Request = "/com/vexa/pavo/request";
    static QString online() { return QStringLiteral("query manager requested, offline: false"); }
    static QString stayOffline() { return QStringLiteral("query manager requested, offline: true"); }
    static QStringList ready() { return { QStringLiteral("KORVA_READY") }; }
    static QStringList readyDone()
    {
        return { QStringLiteral("KORVA_READY"), QStringLiteral("PIN_CODE_DONE") };
    }

    static MockService* pavo(const QVariantMap& params)
    {
        return new MockService(
            QStringLiteral("pavo"), QStringLiteral("com.vexa.pavo"), MockService::SystemBus, params);
    }
    static QVariantMap radios(uint bits) { return { { QStringLiteral("radio_states"), bits } }; }

private Q_SLOTS:
    void answer_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("yes") << true << false;
        QTest::newRow("no") << false << false;
        // Enter answers with the positive button, never with No.
        QTest::newRow("enter") << true << true;
    }

    void answer()
    {
        QFETCH(bool, yes);
        QFETCH(bool, byEnter);
        QScopedPointer<MockService> mock(pavo(radios(0)));
        QVERIFY(mock->start());
        FifoReader fifo;
        DaemonProcess daemon;
        daemon.setFifo(fifo.path());
        QVERIFY(daemon.start());

        const QStringList windows = XTools::findWindows(QLatin1String(Title), true);
        QCOMPARE(windows.size(), 1);
        // Ready at once; the PIN stage waits for the answer.
        QVERIFY(fifo.waitForTokens(1));
        QCOMPARE(fifo.tokens(), ready());
        QVERIFY(XTools::xprop(windows.first(), QStringLiteral("WM_NAME"))
                    .contains(QLatin1String("\"Offline mode\"")));
        QVERIFY(!daemon.output().contains(QLatin1String("query manager requested")));

        QVERIFY(byEnter ? XTools::key(windows.first(), QStringLiteral("Return"))
                        : XTools::pressDialogButton(windows.first(), yes));
        QVERIFY2(daemon.waitForOutput(yes ? online() : stayOffline()) > 0, qPrintable(daemon.output()));
        const QList<QVariantList> radioRequests
            = mock->calls(QLatin1String(Request), QStringLiteral("req_radio_states_change"));
        if (yes) {
            QCOMPARE(radioRequests, (QList<QVariantList> { { 1u, 1u } }));
            QVERIFY(daemon.ping());
            // PIN_CODE_DONE is the query manager's to write.
            QCOMPARE(fifo.tokens(), ready());
        } else {
            QVERIFY(radioRequests.isEmpty());
            QVERIFY(fifo.waitForTokens(2));
            QCOMPARE(fifo.tokens(), readyDone());
            const QString out = daemon.output();
            QVERIFY(out.indexOf(QLatin1String("STAY IN OFFLINE"))
                < out.indexOf(QLatin1String("PIN_CODE_DONE in")));
            QVERIFY(out.indexOf(QLatin1String("PIN_CODE_DONE in")) < out.indexOf(stayOffline()));
        }
        QVERIFY(XTools::findWindows(QLatin1String(Title), false).isEmpty());
        QCOMPARE(mock->calls(QLatin1String(Request), QStringLiteral("get_radio_states")).size(), 1);
    }

    void prestartedAsksAfterRelease()
    {
        QScopedPointer<MockService> mock(pavo(radios(0)));
        QVERIFY(mock->start());
        FifoReader fifo;
        DaemonProcess daemon;
        daemon.setFifo(fifo.path());
        QVERIFY(daemon.start({ QStringLiteral("-log"), QStringLiteral("-prestart") }));

        QVERIFY(fifo.waitForTokens(1));
        QCOMPARE(fifo.tokens(), ready());
        QVERIFY(daemon.ping());
        QVERIFY(XTools::findWindows(QLatin1String(Title), false).isEmpty());

        QVERIFY(DaemonProcess::release());
        const QStringList windows = XTools::findWindows(QLatin1String(Title), true);
        QCOMPARE(windows.size(), 1);
        QVERIFY(DaemonProcess::release());
        QVERIFY(daemon.ping());
        QCOMPARE(XTools::findWindows(QLatin1String(Title), false).size(), 1);

        QVERIFY(XTools::pressDialogButton(windows.first(), false));
        QVERIFY(fifo.waitForTokens(2));
        QCOMPARE(fifo.tokens(), readyDone());
        QVERIFY(DaemonProcess::release());
        QVERIFY(daemon.ping());
        QVERIFY(XTools::findWindows(QLatin1String(Title), false).isEmpty());
        QCOMPARE(daemon.output().count(QLatin1String("query manager requested")), 1);
    }

    // A service that cannot say counts as online: straight on, nothing asked,
    // no PIN stage end from the core. (A plain "radios on" reply is PavoIf's to read.)
    void noQuestion_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<QVariantMap>("params");
        QTest::newRow("error") << true
                               << QVariantMap { { QStringLiteral("radio_states"), 0u },
                                      { QStringLiteral("answer"), QStringLiteral("error") } };
        QTest::newRow("no arguments") << true
                                      << QVariantMap { { QStringLiteral("radio_states"), 0u },
                                             { QStringLiteral("answer"), QStringLiteral("noargs") } };
        QTest::newRow("service absent") << false << QVariantMap {};
    }

    void noQuestion()
    {
        QFETCH(bool, running);
        QFETCH(QVariantMap, params);
        QScopedPointer<MockService> mock(pavo(params));
        if (running)
            QVERIFY(mock->start());
        FifoReader fifo;
        DaemonProcess daemon;
        daemon.setFifo(fifo.path());
        QVERIFY(daemon.start());
        QVERIFY2(daemon.waitForOutput(online()) > 0, qPrintable(daemon.output()));
        QVERIFY(daemon.ping());
        QVERIFY(XTools::findWindows(QLatin1String(Title), false).isEmpty());
        QVERIFY(!fifo.tokens().contains(QStringLiteral("PIN_CODE_DONE")));
        if (running)
            QCOMPARE(mock->calls(QLatin1String(Request), QStringLiteral("get_radio_states")).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestOffline)
#include "tst_offline.moc"
