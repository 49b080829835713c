#include <common/Vocabulary.h>
#include <notify/KorvaUI.h>
#include <platform/cellular/NetworkRegistration.h>
#include <platform/cellular/SystemControl.h>
#include <platform/tarn/MessageBox.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

using Cellular::SIM::SIMStatus;

// The watcher fed what oFono never reports (reject causes, limited service)
// through its cellular sources' own signals, as the layer would emit them.
class TestKorvaUI : public QObject
{
    Q_OBJECT

    static QStringList refusals()
    {
        QStringList titles;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "networkRefusal" && w->isVisible())
                titles << static_cast<Tarn::MessageBox*>(w)->title();
        return titles;
    }

private Q_SLOTS:
    void reports_data()
    {
        QTest::addColumn<QList<QPoint>>("reports"); // registration status, reject code
        QTest::addColumn<int>("questions");
        QTest::addColumn<QStringList>("dialogs");
        QTest::addColumn<int>("notes");
        const QString mm6 = qtTrId(KorvaText::RejectCause6);
        QTest::newRow("cause 0") << QList<QPoint> { { 5, 0 } } << 0
                                 << QStringList { qtTrId(KorvaText::RejectCause2) } << 0;
        QTest::newRow("cause 4 twice")
            << QList<QPoint> { { 5, 4 }, { 5, 4 } } << 0 << QStringList { mm6, mm6 } << 0;
        QTest::newRow("cause 9: note only") << QList<QPoint> { { 5, 9 } } << 0 << QStringList {} << 1;
        QTest::newRow("limited service twice, then no network")
            << QList<QPoint> { { 7, -1 }, { 7, -1 }, { 2, -1 } } << 1 << QStringList {} << 0;
    }

    // Then the card goes: every refusal dialog closes once the handler is
    // done, and an unknown status on the way is not taken for the card.
    void reports()
    {
        QFETCH(QList<QPoint>, reports);
        QFETCH(int, questions);
        QFETCH(QStringList, dialogs);
        QFETCH(int, notes);
        KorvaUI ui;
        auto* sim = ui.findChild<SIMStatus*>();
        QSignalSpy firstAnswer(sim, &SIMStatus::statusComplete);
        QSignalSpy published(&ui, &KorvaUI::publishPhoneNetworkSettingsQuery);
        QSignalSpy noted(&ui, &KorvaUI::showNotification);
        auto* registration = ui.findChild<Cellular::NetworkRegistration*>();
        Q_EMIT registration->modeChanged(0);
        Q_EMIT ui.findChild<Cellular::SystemControl*>()->statusChanged(1);
        for (const QPoint& r : reports)
            Q_EMIT registration->statusWithRejectCodeChanged(r.x(), r.y());
        QCOMPARE(published.size(), questions);
        QCOMPARE(bool(ui.networkQuery()), questions > 0);
        QCOMPARE(refusals(), dialogs);
        QCOMPARE(noted.size(), notes);

        QVERIFY(firstAnswer.wait());
        for (SIMStatus::Status s : { SIMStatus::StatusOk, SIMStatus::StatusUnknown, SIMStatus::StatusNoSim })
            Q_EMIT sim->statusChanged(s);
        QCOMPARE(refusals(), dialogs);
        QTRY_VERIFY(refusals().isEmpty());
        QCOMPARE(noted.size(), notes + 1);
        QCOMPARE(noted.last().value(1).toString(), KorvaFeedback::SimRemoved);
    }
};

QTEST_MAIN(TestKorvaUI)
#include "tst_korvaui.moc"
