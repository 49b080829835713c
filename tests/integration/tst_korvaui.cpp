#include <common/Vocabulary.h>
#include <notify/Haptics.h>
#include <notify/KorvaUI.h>
#include <platform/cellular/NetworkRegistration.h>
#include <platform/cellular/SIMStatus.h>
#include <platform/cellular/SystemControl.h>
#include <platform/tarn/MessageBox.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

using Cellular::NetworkRegistration;
using Cellular::SystemControl;
using Cellular::SIM::SIMStatus;
using Report = QPair<int, int>; // registration status, reject code

// The watcher fed with what oFono never reports (reject causes, limited
// service) by emitting its cellular sources' signals, as the layer would.
class TestKorvaUI : public QObject
{
    Q_OBJECT

private:
    static QStringList refusals()
    {
        QStringList titles;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("networkRefusal") && w->isVisible())
                titles << static_cast<Tarn::MessageBox*>(w)->title();
        return titles;
    }

private Q_SLOTS:
    void cleanup()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QDialog*>(w))
                d->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void reports_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("modem");
        QTest::addColumn<QList<Report>>("reports");
        QTest::addColumn<int>("questions");
        QTest::addColumn<QStringList>("dialogs");
        QTest::addColumn<QStringList>("notes");
        const QString mm2 = qtTrId(KorvaText::RejectCause2);
        const QString failed = qtTrId(KorvaText::SimRegistrationFailed);
        QTest::newRow("cause 0") << 0 << 1 << QList<Report> { { 5, 0 } } << 0 << QStringList { mm2 }
                                 << QStringList {};
        QTest::newRow("cause 1") << 0 << 1 << QList<Report> { { 5, 1 } } << 0
                                 << QStringList { qtTrId(KorvaText::RejectCause3) } << QStringList {};
        QTest::newRow("cause 4, manual mode")
            << 1 << 1 << QList<Report> { { 5, 4 } } << 0 << QStringList { qtTrId(KorvaText::RejectCause6) }
            << QStringList {};
        QTest::newRow("cause 9: note only")
            << 0 << 1 << QList<Report> { { 5, 9 } } << 0 << QStringList {} << QStringList { failed };
        QTest::newRow("two code 0 reports, two dialogs") << 0 << 1 << QList<Report> { { 5, 0 }, { 5, 0 } }
                                                         << 0 << QStringList { mm2, mm2 } << QStringList {};
        QTest::newRow("limited service twice")
            << 0 << 1 << QList<Report> { { 7, -1 }, { 7, -1 } } << 1 << QStringList {} << QStringList {};
        QTest::newRow("no network after limited service, modem on")
            << 0 << 1 << QList<Report> { { 7, -1 }, { 2, -1 } } << 1 << QStringList {} << QStringList {};
        QTest::newRow("no network, modem offline: only remembered")
            << 0 << 2 << QList<Report> { { 2, -1 }, { 7, -1 }, { 2, -1 } } << 1 << QStringList {}
            << QStringList {};
        QTest::newRow("searching in between asks again")
            << 0 << 1 << QList<Report> { { 7, -1 }, { 3, -1 }, { 7, -1 } } << 2 << QStringList {}
            << QStringList {};
        QTest::newRow("manual mode asks nothing")
            << 1 << 1 << QList<Report> { { 7, -1 }, { 2, -1 }, { 3, -1 }, { 7, -1 } } << 0 << QStringList {}
            << QStringList {};
    }

    void reports()
    {
        QFETCH(int, mode);
        QFETCH(int, modem);
        QFETCH(QList<Report>, reports);
        QFETCH(int, questions);
        QFETCH(QStringList, dialogs);
        QFETCH(QStringList, notes);
        auto* ui = new KorvaUI;
        auto* registration = ui->findChild<NetworkRegistration*>();
        QVERIFY(registration);
        QSignalSpy published(ui, &KorvaUI::publishPhoneNetworkSettingsQuery);
        QSignalSpy noted(ui, &KorvaUI::showNotification);
        Q_EMIT registration->modeChanged(mode);
        Q_EMIT ui->findChild<SystemControl*>()->statusChanged(modem);
        for (const Report& r : reports)
            Q_EMIT registration->statusWithRejectCodeChanged(r.first, r.second);

        QCOMPARE(published.size(), questions);
        QCOMPARE(bool(ui->networkQuery()), questions > 0);
        QCOMPARE(refusals(), dialogs);
        QStringList texts;
        for (const QList<QVariant>& n : noted)
            texts << n.value(0).toString();
        QCOMPARE(texts, notes);

        const QPointer<Tarn::MessageBox> question = ui->networkQuery();
        delete ui;
        QVERIFY(!question);
    }

    // The card going away closes every refusal dialog, once the handler is
    // done; an unknown status in between is not taken for a card.
    void cardGoneClosesRefusals()
    {
        KorvaUI ui;
        auto* sim = ui.findChild<SIMStatus*>();
        QSignalSpy firstAnswer(sim, &SIMStatus::statusComplete);
        QVERIFY(firstAnswer.wait());
        QSignalSpy noted(&ui, &KorvaUI::showNotification);
        auto* registration = ui.findChild<NetworkRegistration*>();
        Q_EMIT registration->statusWithRejectCodeChanged(5, 0);
        Q_EMIT registration->statusWithRejectCodeChanged(5, 4);
        QCOMPARE(refusals().size(), 2);

        Q_EMIT sim->statusChanged(SIMStatus::StatusRejectedOther);
        Q_EMIT sim->statusChanged(SIMStatus::StatusUnknown);
        Q_EMIT sim->statusChanged(SIMStatus::StatusNoSim);
        QCOMPARE(refusals().size(), 2);
        QTRY_VERIFY(refusals().isEmpty());
        Q_EMIT sim->statusChanged(SIMStatus::StatusNoSim);

        QStringList events;
        for (const QList<QVariant>& n : noted)
            events << n.value(1).toString();
        QCOMPARE(events, (QStringList { KorvaFeedback::SimErrorSound, KorvaFeedback::SimRemoved }));
    }

    // The sound only for a dialog the user can see.
    void seen()
    {
        QVERIFY(!Haptics::isSeen(nullptr));
        Tarn::MessageBox box(QStringLiteral("t"), QStringLiteral("x"));
        QVERIFY(!Haptics::isSeen(&box));
        box.appear();
        QVERIFY(Haptics::isSeen(&box));
        box.showMinimized();
        QVERIFY(!Haptics::isSeen(&box));
    }
};

QTEST_MAIN(TestKorvaUI)
#include "tst_korvaui.moc"
