#include "PinBoot.h"

#include <XTools.h>

#include <QFile>
#include <QProcess>
#include <QTest>

// What the settings application asks of a ready SIM over D-Bus: change the
// PIN, switch the PIN query on or off, read its state; and who may ask.
class TestPinSettings : public QObject
{
    Q_OBJECT

private:
    const QString Pin = QStringLiteral("24681357");
    const QString WrongPin = QStringLiteral("13572468");
    const QString NewPin = QStringLiteral("31415926");

    // A ready SIM whose PIN query is on (locked) or off.
    bool readySim(PinBoot& boot, bool locked)
    {
        if (!boot.start())
            return false;
        if (locked
            && boot.ofono
                    .control(
                        QStringLiteral("/"), QStringLiteral("SetPinRequired"), { QStringLiteral("none") })
                    .type()
                != QDBusMessage::ReplyMessage)
            return false;
        // A card unlocked behind the daemon's back leaves the boot's PIN
        // stage waiting for its launch: only KORVA_READY then.
        return boot.fifo.waitForTokens(locked ? 1 : 2) && boot.waitLog(QStringLiteral("new SimStateOk"))
            && boot.daemon.ping();
    }

    QVariantMap sim(bool locked) const
    {
        return { { QStringLiteral("pin"), Pin }, { QStringLiteral("pin_locked"), locked } };
    }

    static QStringList notes(NotificationsMock& notifications)
    {
        QStringList texts;
        for (const QVariantList& call : notifications.notes())
            texts << call.value(3).toString() + call.value(4).toString(); // summary, body
        return texts;
    }

private Q_SLOTS:
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
        PinBoot boot(sim(true));
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
        QTRY_COMPARE(notes(notifications),
            QStringList {
                right ? QStringLiteral("PIN code changed") : QStringLiteral("Incorrect PIN code") });
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
        PinBoot boot(sim(locked));
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
        PinBoot boot(sim(true));
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
        PinBoot boot(sim(false));
        QVERIFY(readySim(boot, false));
        // Let the other user reach the private bus's socket.
        QFile tmp(qEnvironmentVariable("KORVA_TEST_TMP"));
        QVERIFY(tmp.setPermissions(tmp.permissions() | QFile::ExeOther));
        const QStringList gdbus { QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
            QStringLiteral("--clear-groups"), QStringLiteral("gdbus"), QStringLiteral("call"),
            QStringLiteral("--system"), QStringLiteral("--dest"), QStringLiteral("com.vexa.korva.pin"),
            QStringLiteral("--object-path"), QStringLiteral("/com/vexa/korva/pin"),
            QStringLiteral("--method"), QStringLiteral("com.vexa.korva.pin.PinCodeQuery.LaunchPinQuery"),
            QStringLiteral("pin") };
        QProcess stranger;
        stranger.start(QStringLiteral("setpriv"), gdbus);
        QVERIFY(stranger.waitForFinished(20000));
        QVERIFY(stranger.exitCode() != 0);
        QVERIFY2(stranger.readAllStandardError().contains("AccessDenied"), "a stranger reached the service");
        QCOMPARE(boot.launch(), 0);

        QProcess listener;
        listener.start(QStringLiteral("setpriv"),
            { QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                QStringLiteral("--clear-groups"), QStringLiteral("gdbus"), QStringLiteral("monitor"),
                QStringLiteral("--system"), QStringLiteral("--dest"), QStringLiteral("com.vexa.korva.pin") });
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
        QTRY_VERIFY(hear().contains("PinQueryStateCompleted (1,)"));
        listener.kill();
        listener.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestPinSettings)
#include "tst_pinsettings.moc"
