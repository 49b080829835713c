#include <app/Korvad.h>
#include <common/Vocabulary.h>
#include <notify/PavoIf.h>
#include <platform/system/TouchScreenLock.h>
#include <platform/tarn/Dialog.h>
#include <platform/tarn/Locale.h>

#include <MockService.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

// The clients of the device mode service against its simulation on a
// private system bus, and the core's offline question in this process.
class TestDeviceMode : public QObject
{
    Q_OBJECT

private:
    static constexpr const char* Request = "/com/vexa/pavo/request";

    static MockService* pavo(const QVariantMap& params = {})
    {
        return new MockService(
            QStringLiteral("pavo"), QStringLiteral("com.vexa.pavo"), MockService::SystemBus, params);
    }

    static int callCount(MockService& mock, const char* method)
    {
        return int(mock.calls(QLatin1String(Request), QLatin1String(method)).size());
    }

    static Tarn::Dialog* shownQuestion()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("offlineQuestion") && w->isVisible())
                return qobject_cast<Tarn::Dialog*>(w);
        return nullptr;
    }

    Tarn::Locale m_locale;

private Q_SLOTS:
    void initTestCase()
    {
        m_locale.installTrCatalog(QStringLiteral("cellular-adaptation"));
        Tarn::Locale::setDefault(&m_locale);
    }

    // Anything but a clear "bit 0 is off" counts as online; anything but a
    // clear "none" counts as a call.
    void firstAnswer_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<QVariantMap>("params");
        QTest::addColumn<bool>("offline");
        QTest::addColumn<bool>("calling");
        auto p = [](uint radio, const QString& call, const QString& answer = QStringLiteral("normal")) {
            return QVariantMap { { QStringLiteral("radio_states"), radio },
                { QStringLiteral("call_state"), call }, { QStringLiteral("answer"), answer } };
        };
        QTest::newRow("radios off, no call") << true << p(0, QStringLiteral("none")) << true << false;
        QTest::newRow("radios on, call") << true << p(1, QStringLiteral("active")) << false << true;
        QTest::newRow("other bits only") << true << p(0xFFFFFFFE, QString()) << true << true;
        QTest::newRow("odd value") << true << p(0x8001, QStringLiteral("none")) << false << false;
        QTest::newRow("error") << true << p(0, QStringLiteral("none"), QStringLiteral("error")) << false
                               << true;
        QTest::newRow("service absent") << false << QVariantMap {} << false << true;
    }

    void firstAnswer()
    {
        QFETCH(bool, running);
        QFETCH(QVariantMap, params);
        QFETCH(bool, offline);
        QFETCH(bool, calling);
        QScopedPointer<MockService> mock(pavo(params));
        if (running)
            QVERIFY(mock->start());
        PavoIf client;
        QCOMPARE(client.isOffline(), offline);
        QCOMPARE(client.isCalling(), calling);
        // Cached: the service is asked once, whatever it answered.
        QCOMPARE(client.isOffline(), offline);
        QCOMPARE(client.isCalling(), calling);
        if (running) {
            QCOMPARE(callCount(*mock, "get_radio_states"), 1);
            QCOMPARE(callCount(*mock, "get_call_state"), 1);
        }
    }

    void touchScreenUnlock_data()
    {
        QTest::addColumn<bool>("running");
        QTest::newRow("service up") << true;
        QTest::newRow("service absent") << false;
    }

    void touchScreenUnlock()
    {
        QFETCH(bool, running);
        QScopedPointer<MockService> mock(pavo());
        if (running)
            QVERIFY(mock->start());
        else
            QTest::ignoreMessage(
                QtWarningMsg, QRegularExpression(QStringLiteral("^Touch screen lock: can't set")));
        SystemState::TouchScreenLock lock;
        QSignalSpy finished(&lock, &SystemState::TouchScreenLock::requestFinished);
        QVERIFY(lock.setState(SystemState::TouchScreenLock::Unlocked));
        QVERIFY(finished.wait());
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().at(1).toBool(), running);
        if (running) {
            const QDBusMessage mode = mock->control(QLatin1String(Request), QStringLiteral("GetTklockMode"));
            QCOMPARE(mode.arguments().value(0).toString(), QStringLiteral("unlocked"));
        }
    }

    // The question brings its own catalogue without losing the daemon's;
    // closing it without a button means staying offline.
    void offlineQuestionKeepsDaemonTexts()
    {
        QScopedPointer<MockService> mock(pavo({ { QStringLiteral("radio_states"), 0u } }));
        QVERIFY(mock->start());
        Korvad core;
        QSignalSpy upstart(&core, &Korvad::updateUpstart);
        core.startDaemon();
        QCOMPARE(core.offlineState(), 0);
        QCOMPARE(upstart, (QList<QVariantList> { { true, false } }));

        Tarn::Dialog* box = shownQuestion();
        QVERIFY(box);
        QCOMPARE(box->title(), QStringLiteral("Offline mode"));
        QCOMPARE(box->buttons(), Tarn::Dialog::Yes | Tarn::Dialog::No);
        QCOMPARE(qtTrId(KorvaText::ErrorTitle), QStringLiteral("Error"));
        QVERIFY(qtTrId(KorvaText::OfflineQuestion).endsWith(QLatin1Char('?')));

        box->disappear();
        QTRY_COMPARE(core.offlineState(), 1);
        // The query manager created after the answer may ask for "ready" again.
        QCOMPARE(upstart.mid(0, 2), (QList<QVariantList> { { true, false }, { false, true } }));
        QVERIFY(mock->calls(QLatin1String(Request), QStringLiteral("req_radio_states_change")).isEmpty());
        QTRY_VERIFY(!shownQuestion());
    }
};

QTEST_MAIN(TestDeviceMode)
#include "tst_devicemode.moc"
