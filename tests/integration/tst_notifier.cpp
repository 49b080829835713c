#include <MockService.h>
#include <XTools.h>

#include <common/Vocabulary.h>
#include <notify/Haptics.h>
#include <notify/Notifier.h>
#include <platform/tarn/Banner.h>
#include <platform/tarn/FeedbackClient.h>
#include <platform/tarn/Notification.h>

#include <QApplication>
#include <QDBusArgument>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

using Tarn::FeedbackClient;

// The notifier and its feedback client with simulated notification server
// and feedbackd on a private session bus, its banners on Xvfb.
class TestNotifier : public QObject
{
    Q_OBJECT

private:
    static const inline QString NotifyPath = u"/org/freedesktop/Notifications"_s;
    static const inline QString FeedbackPath = u"/org/sigxcpu/Feedback"_s;

    static QList<Tarn::Banner*> banners()
    {
        QList<Tarn::Banner*> found;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<Tarn::Banner*>(w); b && b->isVisible())
                found << b;
        return found;
    }

    QList<uint> running()
    {
        const QDBusMessage reply = m_feedbackd->control(FeedbackPath, u"GetRunning"_s);
        return reply.type() == QDBusMessage::ReplyMessage
            ? qdbus_cast<QList<uint>>(reply.arguments().constFirst())
            : QList<uint> {};
    }

    bool finish(uint remote, uint reason = 0)
    {
        return m_feedbackd->control(FeedbackPath, u"FinishFeedback"_s, { remote, reason }).type()
            == QDBusMessage::ReplyMessage;
    }

    QList<QVariantList> endCalls() { return m_feedbackd->calls(FeedbackPath, u"EndFeedback"_s); }

    QScopedPointer<NotificationsMock> m_notifications;
    QScopedPointer<FeedbackdMock> m_feedbackd;

private Q_SLOTS:
    void initTestCase()
    {
        QFile theme(QCoreApplication::applicationDirPath() + u"/theme/korva.qss"_s);
        QVERIFY(theme.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(theme.readAll()));
    }

    void init()
    {
        m_notifications.reset(new NotificationsMock);
        m_feedbackd.reset(new FeedbackdMock);
        QVERIFY(m_notifications->start());
        QVERIFY(m_feedbackd->start());
    }

    void cleanup()
    {
        m_notifications.reset();
        m_feedbackd.reset();
        for (Tarn::Banner* b : banners())
            delete b;
    }

    // Whatever keeps the notification from being taken, the text reaches the
    // user as a system banner that a tap (or time) dismisses, and the daemon
    // is not held up by the server at all. An empty text shows nothing.
    // (What a taken one says: tst_watcher, tst_provisioning.)
    void notification_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("text");
        // Long enough to wrap: the banner must hold all of it.
        const QString text = QStringLiteral("SIM card registration failed. Contact your service provider "
                                            "for more information about your subscription.");
        QTest::newRow("taken") << "up" << text;
        QTest::newRow("empty text") << "refused" << QString();
        QTest::newRow("refused") << "refused" << text;
        QTest::newRow("hung") << "hung" << text;
        QTest::newRow("answering a string") << "string" << text;
    }

    void notification()
    {
        QFETCH(QString, server);
        QFETCH(QString, text);
        if (server == "refused"_L1)
            m_notifications->control(NotifyPath, u"SetRefuse"_s, { true });
        else if (server == "hung"_L1)
            QVERIFY(m_notifications->freeze(true));
        else if (server == "string"_L1) {
            m_notifications->control(NotifyPath, u"AddMethod"_s,
                { u"org.freedesktop.Notifications"_s, u"Notify"_s, u"susssasa{sv}i"_s, u"s"_s,
                    u"ret = 'x'"_s });
            QTest::ignoreMessage(
                QtWarningMsg, QRegularExpression(u"Notify: expected arguments \\(u\\), got \\(s\\)"_s));
        }

        Notifier notifier;
        QElapsedTimer timer;
        timer.start();
        notifier.showNotification(text, KorvaFeedback::CellularPositive);
        QVERIFY2(timer.elapsed() < Tarn::Notification::ReplyTimeoutMs / 5, "publishing waits for the server");
        if (server == "up"_L1 || text.isEmpty()) {
            QTRY_VERIFY(notifier.findChildren<Tarn::Notification*>().isEmpty());
            QCOMPARE(m_notifications->notes().size(), text.isEmpty() ? 0 : 1);
            QVERIFY(banners().isEmpty());
            return;
        }

        QTRY_COMPARE(banners().size(), 1);
        QPointer<Tarn::Banner> banner = banners().first();
        QCOMPARE(banner->title(), text);
        QCOMPARE(banner->styleName(), KorvaBanner::System);
        QVERIFY(QTest::qWaitForWindowExposed(banner));
        QCOMPARE(banner->geometry().topLeft(), QPoint(0, 0));
        auto* label = banner->findChild<QLabel*>();
        QVERIFY(label);
        QVERIFY2(label->heightForWidth(label->width()) <= label->height(), "banner title is cut");

        // A tap dismisses it (its timer stopped, so only the tap can), or else time does.
        if (server != "hung"_L1) {
            banner->findChild<QTimer*>()->stop();
            QVERIFY(XTools::click(banner->geometry().center().x(), banner->geometry().center().y()));
        }
        QTRY_VERIFY_WITH_TIMEOUT(banner.isNull(), Tarn::Banner::DisplayTimeMs + 3000);
        m_notifications->freeze(false);
    }

    // One banner at a time: a text shown or waiting is not queued again, a
    // few wait in order, the rest are dropped with one warning; any text is
    // cut to what a banner holds.
    void bannerQueue()
    {
        Notifier notifier;
        const QString huge(100000, QLatin1Char('x'));
        QTest::ignoreMessage(
            QtWarningMsg, "4 banners waiting: further banners dropped until one has been shown");
        notifier.showBanner(huge);
        for (int i = 0; i < 12; ++i)
            notifier.showBanner(u"note %1"_s.arg(i / 2 % 6)); // each twice in a row
        notifier.showBanner(huge);
        QStringList shown;
        for (int i = 0; i < 5; ++i) {
            QTRY_COMPARE(banners().size(), 1);
            QVERIFY(banners().first()->title().size() <= Notifier::MaxTextLength);
            shown << banners().first()->title().right(6);
            banners().first()->disappear();
        }
        QCOMPARE(shown.first(), QString(5, QLatin1Char('x')) + QChar(0x2026));
        QCOMPARE(shown.mid(1), (QStringList { u"note 0"_s, u"note 1"_s, u"note 2"_s, u"note 3"_s }));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(banners().isEmpty());
        // What fits is shown whole.
        const QString longest(Notifier::MaxTextLength, QLatin1Char('y'));
        notifier.showBanner(longest);
        QTRY_COMPARE(banners().size(), 1);
        QCOMPARE(banners().first()->title(), longest);
    }

    void endReasons_data()
    {
        QTest::addColumn<uint>("reason");
        QTest::addColumn<int>("signal"); // finished, stopped, error
        QTest::newRow("ran out") << 0u << 0;
        QTest::newRow("timeout") << 1u << 0;
        QTest::newRow("ended") << 2u << 1;
        QTest::newRow("no such event") << 0xFFFFFFFFu << 2;
        QTest::newRow("reason from a newer feedbackd") << 7u << 0;
    }

    void endReasons()
    {
        QFETCH(uint, reason);
        QFETCH(int, signal);
        FeedbackClient client;
        QSignalSpy spies[] = { QSignalSpy(&client, &FeedbackClient::eventPlayFinished),
            QSignalSpy(&client, &FeedbackClient::eventPlayStopped),
            QSignalSpy(&client, &FeedbackClient::eventPlayError) };
        const quint32 id = client.play(u"sim.error"_s);
        QTRY_COMPARE(running().size(), 1);
        const uint remote = running().constFirst();
        // Ends of plays never issued are ignored, so are a second end and one
        // of the wrong shape (anyone may own the name while feedbackd is away).
        QTest::ignoreMessage(
            QtWarningMsg, QRegularExpression(u"FeedbackEnded: expected arguments \\(uu\\)"_s));
        const QVariantList shortEnd { u"org.sigxcpu.Feedback"_s, u"FeedbackEnded"_s, u"u"_s,
            QVariantList { remote } };
        QVERIFY(m_feedbackd->control(FeedbackPath, u"EmitSignal"_s, shortEnd).type()
            == QDBusMessage::ReplyMessage);
        QVERIFY(finish(remote + 50) && finish(remote + 51, 2u) && finish(remote, reason) && finish(remote));
        QTRY_COMPARE(spies[signal].size(), 1);
        QCOMPARE(spies[signal].first().first().value<quint32>(), id);
        QVERIFY(running().isEmpty()); // a round trip after the last end
        QCoreApplication::processEvents();
        QCOMPARE(spies[0].size() + spies[1].size() + spies[2].size(), 1);
        client.stop(id); // ended: nothing left to stop
        QVERIFY(endCalls().isEmpty());
    }

    // A stop ends one play of that event, by feedbackd's id, whether or not
    // feedbackd has answered the play yet; what was never played sends nothing.
    void stops_data()
    {
        QTest::addColumn<QStringList>("plays");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<QStringList>("stops");
        QTest::addColumn<int>("ends");
        const QString pin = KorvaFeedback::PinQueryHaptic;
        const QString strong = KorvaFeedback::QueryStrong;
        QTest::newRow("same event twice, stopped once")
            << QStringList { pin, pin, KorvaFeedback::SimError } << true << QStringList { pin } << 1;
        QTest::newRow("stopped before feedbackd answered")
            << QStringList { pin, pin } << false << QStringList { pin } << 1;
        QTest::newRow("three stops of two plays")
            << QStringList { strong, strong } << true << QStringList { strong, strong, strong } << 2;
        QTest::newRow("never played")
            << QStringList() << true << QStringList { KorvaFeedback::SimError, QString() } << 0;
    }

    void stops()
    {
        QFETCH(QStringList, plays);
        QFETCH(bool, answered);
        QFETCH(QStringList, stops);
        QFETCH(int, ends);
        Notifier notifier;
        for (const QString& event : plays)
            notifier.playNGFEvent(event);
        QCOMPARE(notifier.runningEvents().size(), plays.size());
        if (answered) {
            QTRY_COMPARE(running().size(), plays.size());
            QCoreApplication::processEvents(); // its replies came before GetRunning's
        }
        for (const QString& event : stops)
            notifier.stopNGFEvent(event);
        QTRY_COMPARE(endCalls().size(), ends);
        // feedbackd numbers its plays its own way (the mock from 1000).
        for (const QVariantList& end : endCalls())
            QVERIFY2(end.value(0).toUInt() >= 1000,
                qPrintable(
                    u"EndFeedback(%1) names our own id, not feedbackd's"_s.arg(end.value(0).toUInt())));
        const qsizetype left = plays.size() - ends;
        QTRY_COMPARE(notifier.runningEvents().size(), left);
        QTRY_COMPARE(running().size(), left);
        if (left)
            QCOMPARE(QStringList(notifier.runningEvents().values()).count(stops.first()),
                plays.count(stops.first()) - ends);
        // The rest end as feedbackd reports them.
        for (uint remote : running())
            QVERIFY(finish(remote));
        QTRY_VERIFY(notifier.runningEvents().isEmpty());
        QCOMPARE(endCalls().size(), ends);
    }

    // The warning sounds only for a dialog in front of the user: the
    // application's active window, not minimised. One that has just appeared
    // counts once the window system has activated it.
    void warningFeedback_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("event");
        QTest::newRow("just appeared") << u"activated"_s << u"warning_snd"_s;
        QTest::newRow("never activated") << u"inactive"_s << u"warning_strong"_s;
        QTest::newRow("minimised") << u"minimised"_s << u"warning_strong"_s;
        QTest::newRow("none") << QString() << u"warning_strong"_s;
    }

    void warningFeedback()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, event);
        std::unique_ptr<QDialog> box;
        if (!dialog.isEmpty()) {
            box = std::make_unique<QDialog>();
            box->setAttribute(Qt::WA_ShowWithoutActivating, dialog == "inactive"_L1);
            if (dialog == "minimised"_L1)
                box->showMinimized();
            else
                box->show();
            if (dialog == "activated"_L1)
                box->activateWindow();
        }
        Haptics::playEvent(box.get());
        QTRY_COMPARE(m_feedbackd->events(), QStringList { event });
    }

    // A missing or hung feedbackd never holds up the caller; the play ends
    // in an error from the event loop, as do those running when it left.
    void unavailableFeedbackd_data()
    {
        QTest::addColumn<bool>("hung");
        QTest::newRow("absent") << false;
        QTest::newRow("hung") << true;
    }

    void unavailableFeedbackd()
    {
        QFETCH(bool, hung);
        FeedbackClient client;
        QSignalSpy errors(&client, &FeedbackClient::eventPlayError);
        const quint32 playing = client.play(u"query_strong"_s);
        QTRY_COMPARE(running().size(), 1);
        if (hung) {
            QVERIFY(m_feedbackd->freeze(true));
        } else {
            m_feedbackd->stop();
            QTRY_COMPARE(errors.size(), 1);
            QCOMPARE(errors.takeFirst().first().value<quint32>(), playing);
        }
        QElapsedTimer timer;
        timer.start();
        const quint32 first = client.play(u"sim.error"_s);
        const quint32 second = client.play(u"sim.error"_s);
        client.stop(second);
        QVERIFY2(timer.elapsed() < FeedbackClient::CallTimeoutMs / 2, "play() waited for feedbackd");
        QVERIFY2(errors.isEmpty(), "error delivered from inside play()");
        QTRY_COMPARE_WITH_TIMEOUT(errors.size(), 2, FeedbackClient::CallTimeoutMs + 5000);
        QCOMPARE(
            (QSet<quint32> { errors.at(0).first().value<quint32>(), errors.at(1).first().value<quint32>() }),
            (QSet<quint32> { first, second }));
    }
};

QTEST_MAIN(TestNotifier)
#include "tst_notifier.moc"
