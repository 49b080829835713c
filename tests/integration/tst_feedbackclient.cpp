#include <MockService.h>

#include <platform/tarn/FeedbackClient.h>

#include <QDBusArgument>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using Tarn::FeedbackClient;

// The feedback client against a simulated feedbackd on a private session bus.
class TestFeedbackClient : public QObject
{
    Q_OBJECT

private:
    static const inline QString Path = QStringLiteral("/org/sigxcpu/Feedback");

    QList<uint> running()
    {
        const QDBusMessage reply = m_feedbackd->control(Path, QStringLiteral("GetRunning"));
        if (reply.type() != QDBusMessage::ReplyMessage)
            return {};
        return qdbus_cast<QList<uint>>(reply.arguments().constFirst());
    }

    // Plays an event and waits until feedbackd runs it; its feedbackd id.
    uint playRunning(FeedbackClient& client, const QString& event, quint32* id)
    {
        const QList<uint> before = running();
        *id = client.play(event);
        uint remote = 0;
        [&] { QTRY_VERIFY(running().size() > before.size()); }();
        for (uint r : running())
            if (!before.contains(r))
                remote = r;
        return remote;
    }

    QScopedPointer<MockService> m_feedbackd;

private Q_SLOTS:
    void init()
    {
        m_feedbackd.reset(new MockService(
            QStringLiteral("feedbackd"), QStringLiteral("org.sigxcpu.Feedback"), MockService::SessionBus));
        QVERIFY(m_feedbackd->start());
    }

    void cleanup() { m_feedbackd.reset(); }

    void endReasons_data()
    {
        QTest::addColumn<uint>("reason");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ran out") << 0u << "finished";
        QTest::newRow("timeout") << 1u << "finished";
        QTest::newRow("ended") << 2u << "stopped";
        QTest::newRow("no such event") << 0xFFFFFFFFu << "error";
        QTest::newRow("reason from a newer feedbackd") << 7u << "finished";
    }

    void endReasons()
    {
        QFETCH(uint, reason);
        QFETCH(QString, expected);
        FeedbackClient client;
        QSignalSpy finished(&client, &FeedbackClient::eventPlayFinished);
        QSignalSpy stopped(&client, &FeedbackClient::eventPlayStopped);
        QSignalSpy errors(&client, &FeedbackClient::eventPlayError);
        quint32 id = 0;
        const uint remote = playRunning(client, QStringLiteral("sim.error"), &id);
        QVERIFY(remote != 0);
        // Ends of plays never issued are ignored, so is a second end.
        m_feedbackd->control(Path, QStringLiteral("FinishFeedback"), { remote + 50, 0u });
        m_feedbackd->control(Path, QStringLiteral("FinishFeedback"), { remote + 51, 2u });
        m_feedbackd->control(Path, QStringLiteral("FinishFeedback"), { remote, reason });
        m_feedbackd->control(Path, QStringLiteral("FinishFeedback"), { remote, 0u });

        QSignalSpy& hit = expected == QLatin1String("finished") ? finished
            : expected == QLatin1String("stopped")              ? stopped
                                                                : errors;
        QTRY_COMPARE(hit.size(), 1);
        QCOMPARE(hit.first().first().value<quint32>(), id);
        QVERIFY(
            m_feedbackd->control(Path, QStringLiteral("GetRunning")).type() == QDBusMessage::ReplyMessage);
        QCoreApplication::processEvents();
        QCOMPARE(finished.size() + stopped.size() + errors.size(), 1);
    }

    void stopBeforeOrAfterReply_data()
    {
        QTest::addColumn<bool>("waitForReply");
        QTest::newRow("before feedbackd answered") << false;
        QTest::newRow("while it runs") << true;
    }

    void stopBeforeOrAfterReply()
    {
        QFETCH(bool, waitForReply);
        FeedbackClient client;
        QSignalSpy stopped(&client, &FeedbackClient::eventPlayStopped);
        QSignalSpy finished(&client, &FeedbackClient::eventPlayFinished);
        const quint32 other = client.play(QStringLiteral("pin_query"));
        const quint32 id = client.play(QStringLiteral("pin_query"));
        if (waitForReply)
            QTRY_COMPARE(running().size(), 2);
        client.stop(id);
        QTRY_COMPARE(m_feedbackd->calls(Path, QStringLiteral("EndFeedback")).size(), 1);
        const QList<QVariantList> ends = m_feedbackd->calls(Path, QStringLiteral("EndFeedback"));
        // feedbackd numbers its plays its own way (the mock from 1000).
        QVERIFY2(ends.first().first().toUInt() >= 1000,
            qPrintable(QStringLiteral("EndFeedback(%1) names our own id, not feedbackd's")
                           .arg(ends.first().first().toUInt())));
        QTRY_COMPARE(stopped.size(), 1);
        QCOMPARE(stopped.first().first().value<quint32>(), id);
        // Exactly the one play ended; the other still runs.
        QCOMPARE(running().size(), 1);
        QVERIFY(!running().contains(ends.first().first().toUInt()));
        QVERIFY(finished.isEmpty());

        // Stopping it again, or an id never handed out, sends nothing.
        client.stop(id);
        client.stop(id + 100);
        client.stop(other);
        QTRY_COMPARE(stopped.size(), 2);
        QCOMPARE(stopped.last().first().value<quint32>(), other);
        QCOMPARE(m_feedbackd->calls(Path, QStringLiteral("EndFeedback")).size(), 2);
    }

    // A missing or hung feedbackd never holds up the caller; the play ends
    // in an error from the event loop.
    void unavailableFeedbackd_data()
    {
        QTest::addColumn<bool>("hung");
        QTest::newRow("absent") << false;
        QTest::newRow("hung") << true;
    }

    void feedbackdLeavingEndsItsPlays()
    {
        FeedbackClient client;
        QSignalSpy errors(&client, &FeedbackClient::eventPlayError);
        quint32 id = 0;
        playRunning(client, QStringLiteral("query_strong"), &id);
        m_feedbackd->stop();
        QTRY_COMPARE(errors.size(), 1);
        QCOMPARE(errors.first().first().value<quint32>(), id);
    }

    void unavailableFeedbackd()
    {
        QFETCH(bool, hung);
        if (hung)
            QVERIFY(m_feedbackd->freeze(true));
        else
            m_feedbackd->stop();
        FeedbackClient client;
        QSignalSpy errors(&client, &FeedbackClient::eventPlayError);
        QElapsedTimer timer;
        timer.start();
        const quint32 first = client.play(QStringLiteral("sim.error"));
        const quint32 second = client.play(QStringLiteral("sim.error"));
        client.stop(second);
        QVERIFY2(timer.elapsed() < FeedbackClient::CallTimeoutMs / 2, "play() waited for feedbackd");
        QVERIFY2(errors.isEmpty(), "error delivered from inside play()");
        QVERIFY(errors.wait(FeedbackClient::CallTimeoutMs + 5000));
        QTRY_COMPARE(errors.size(), 2);
        QCOMPARE(
            (QSet<quint32> { errors.at(0).first().value<quint32>(), errors.at(1).first().value<quint32>() }),
            (QSet<quint32> { first, second }));
    }
};

QTEST_GUILESS_MAIN(TestFeedbackClient)
#include "tst_feedbackclient.moc"
