#include <common/Vocabulary.h>
#include <platform/emergency/CodeField.h>
#include <query/NewPinValidator.h>
#include <query/PinValidator.h>
#include <query/QueryManager.h>
#include <ui/PinCodeQueryUI.h>
#include <ui/PinUiWidget.h>
#include <ui/UiWrapper.h>

#include <QSignalSpy>
#include <QTest>

// The engine's dense rules, in process: which state claims which SIM
// status, what each SIM error shows, and how the validators read codes and
// attempt counts. No SIM service runs, so the first status is "unknown".
class TestQueryEngine : public QObject
{
    Q_OBJECT

private:
    QueryManager* manager = nullptr;

    QString hint() const { return manager->uiWrapper()->entryWidget()->codeField()->hintText(); }
    QString title() const { return manager->uiWrapper()->entryWidget()->codeField()->titleText(); }

private Q_SLOTS:
    void init()
    {
        manager = new QueryManager(nullptr, false);
        // The first (unknown) status has been taken once the daemon is ready.
        QSignalSpy ready(manager, &QueryManager::updateUpstart);
        QVERIFY(ready.wait());
    }

    void cleanup()
    {
        delete manager;
        manager = nullptr;
    }

    void transitions_data()
    {
        QTest::addColumn<QList<int>>("statuses");
        QTest::addColumn<QString>("current");
        QTest::addColumn<int>("idleStatus");
        QTest::newRow("PIN") << QList<int> { 4 } << "PinQuery" << -1;
        QTest::newRow("PIN, then PUK") << QList<int> { 4, 5 } << "PukQuery" << -1;
        QTest::newRow("PIN, then ready") << QList<int> { 4, 0 } << "SimStateOk" << -1;
        QTest::newRow("no SIM") << QList<int> { 1 } << "IdleState" << 1;
        QTest::newRow("no SIM, then rejected") << QList<int> { 1, 2 } << "IdleState" << 2;
        QTest::newRow("ready, then not ready") << QList<int> { 0, 3 } << "IdleState" << 3;
        QTest::newRow("value no state stands for") << QList<int> { 4, 7 } << "PinQuery" << -1;
    }

    void transitions()
    {
        QFETCH(QList<int>, statuses);
        QFETCH(QString, current);
        QFETCH(int, idleStatus);
        SimState* idle = manager->current();
        for (int status : statuses)
            Q_EMIT manager->statusChanged(SIMStatus::Status(status));
        QCOMPARE(QString::fromLatin1(manager->current()->metaObject()->className()), current);
        QCOMPARE(int(idle->status()), idleStatus);
        QCOMPARE(manager->current()->operation(), int(SimState::NoOperation));
    }

    void simErrors_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("type");
        QTest::newRow("none") << 0 << true << QString() << QString();
        QTest::newRow("wrong code") << 7 << false << QString() << QString();
        QTest::newRow("quiet 8") << 8 << false << QString() << QString();
        QTest::newRow("quiet 10") << 10 << false << QString() << QString();
        QTest::newRow("rejected") << 11 << false << KorvaText::SimRejected << "sim.error.sound";
        QTest::newRow("other 1") << 1 << false << KorvaText::GeneralSimError << "sim.error.strong";
        QTest::newRow("not possible") << 13 << false << KorvaText::GeneralSimError << "sim.error.strong";
    }

    void simErrors()
    {
        QFETCH(int, error);
        QFETCH(bool, usable);
        QFETCH(QString, note);
        QFETCH(QString, type);
        QSignalSpy notes(manager, &QueryManager::showNotification);
        QCOMPARE(manager->checkSIMError(SIMError(error)), usable);
        if (note.isEmpty()) {
            QCOMPARE(notes.size(), 0);
        } else {
            QCOMPARE(notes.size(), 1);
            QCOMPARE(notes.first(), (QVariantList { qtTrId(note.toLatin1().constData()), type }));
        }
    }

    // What the PIN page says after each attempts count, and when the PIN is
    // taken to be blocked. The SIM service may answer a refused PIN before
    // it lowers its count: a count that did not drop is one try too high.
    void pinAttempts_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("afterWrong"); // -2: no wrong PIN
        QTest::addColumn<QString>("hintId");
        QTest::addColumn<bool>("wrongText");
        QTest::addColumn<int>("blocked"); // attempts of verifyComplete, -2: none
        QTest::newRow("three left") << 3 << -2 << QString() << false << -2;
        QTest::newRow("two left") << 2 << -2 << KorvaText::PinTwoAttemptsLeft << false << -2;
        QTest::newRow("wrong, count lowered") << 3 << 2 << KorvaText::PinTwoAttemptsLeft << true << -2;
        QTest::newRow("wrong, count not yet lowered")
            << 3 << 3 << KorvaText::PinTwoAttemptsLeft << true << -2;
        QTest::newRow("wrong, one left") << 2 << 2 << KorvaText::PinOneAttemptLeft << true << -2;
        QTest::newRow("none left at the start") << 0 << -2 << QString() << false << 0;
        QTest::newRow("last try, count lowered") << 1 << 0 << QString() << false << 0;
        QTest::newRow("last try, count not yet lowered") << 1 << 1 << QString() << false << 0;
    }

    void pinAttempts()
    {
        QFETCH(int, first);
        QFETCH(int, afterWrong);
        QFETCH(QString, hintId);
        QFETCH(bool, wrongText);
        QFETCH(int, blocked);
        manager->createUi(qtTrId(KorvaText::PinQueryTitle), false);
        PinValidator validator(manager, nullptr);
        QSignalSpy outcome(&validator, &PinValidator::verifyComplete);
        Q_EMIT manager->pinAttemptsLeftComplete(first, Cellular::SIM::NoError);
        if (afterWrong != -2) {
            Q_EMIT manager->verifyPINComplete(false, Cellular::SIM::WrongCode);
            QCOMPARE(outcome.takeFirst(),
                (QVariantList { false, QVariant::fromValue(Cellular::SIM::WrongCode), first }));
            Q_EMIT manager->pinAttemptsLeftComplete(afterWrong, Cellular::SIM::NoError);
        }
        if (blocked == -2) {
            QCOMPARE(outcome.size(), 0);
            QCOMPARE(hint(), hintId.isEmpty() ? QString() : qtTrId(hintId.toLatin1().constData()));
            QCOMPARE(title() == qtTrId(KorvaText::WrongPin), wrongText);
        } else {
            QCOMPARE(outcome.size(), 1);
            QCOMPARE(outcome.first().value(0).toBool(), false);
            QCOMPARE(outcome.first().value(2).toInt(), blocked);
        }
    }

    // Clearing the field for the engine reports no typed code, and closing
    // the page from code is not the user's cancel.
    void pageChangesFromCodeAreQuiet()
    {
        manager->createUi(qtTrId(KorvaText::PinQueryTitle), false);
        UiWrapper* ui = manager->uiWrapper();
        QSignalSpy typed(ui, &UiWrapper::codeChanged);
        QSignalSpy cancelled(ui, &UiWrapper::backButtonClicked);
        ui->entryWidget()->codeField()->insert(QStringLiteral("2468"));
        QTRY_COMPARE(typed.size(), 1);
        manager->clearCode(true);
        ui->closeUi();
        QCoreApplication::processEvents();
        QCOMPARE(ui->code(), QString());
        QCOMPARE(typed.size(), 1);
        QCOMPARE(cancelled.size(), 0);
    }

    void newPin_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("accepted");
        QTest::addColumn<QString>("hintId");
        QTest::newRow("match") << QStringList { "2468", "2468" } << "2468" << QString();
        QTest::newRow("differ") << QStringList { "2468", "1357" } << QString() << KorvaText::NewPinsDiffer;
        QTest::newRow("differ, then match")
            << QStringList { "2468", "1357", "1357", "1357" } << "1357" << QString();
        QTest::newRow("too short") << QStringList { "246" } << QString() << KorvaText::CodeTooShort;
        QTest::newRow("eight digits") << QStringList { "24681357", "24681357" } << "24681357" << QString();
    }

    void newPin()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, accepted);
        QFETCH(QString, hintId);
        NewPinValidator validator(manager, nullptr);
        validator.startQuery(true);
        QSignalSpy newPins(&validator, &NewPinValidator::newPin);
        for (const QString& code : entries)
            validator.enterReleased(code);
        QCOMPARE(newPins.size(), accepted.isEmpty() ? 0 : 1);
        if (!accepted.isEmpty())
            QCOMPARE(newPins.first().first().toString(), accepted);
        QCOMPARE(hint(), hintId.isEmpty() ? QString() : qtTrId(hintId.toLatin1().constData()));
        QVERIFY(!validator.hasFirstEntry());
    }
};

QTEST_MAIN(TestQueryEngine)
#include "tst_queryengine.moc"
