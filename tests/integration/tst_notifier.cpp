#include <MockService.h>
#include <XTools.h>

#include <common/Vocabulary.h>
#include <notify/Notifier.h>
#include <platform/tarn/Banner.h>
#include <platform/tarn/Notification.h>

#include <QApplication>
#include <QDBusArgument>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTest>

// The notifier with simulated notification server and feedbackd on a
// private session bus, its banners on Xvfb.
class TestNotifier : public QObject
{
    Q_OBJECT

private:
    static const inline QString NotifyPath = QStringLiteral("/org/freedesktop/Notifications");
    static const inline QString FeedbackPath = QStringLiteral("/org/sigxcpu/Feedback");

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
        const QDBusMessage reply = m_feedbackd->control(FeedbackPath, QStringLiteral("GetRunning"));
        return reply.type() == QDBusMessage::ReplyMessage
            ? qdbus_cast<QList<uint>>(reply.arguments().constFirst())
            : QList<uint> {};
    }

    QScopedPointer<NotificationsMock> m_notifications;
    QScopedPointer<FeedbackdMock> m_feedbackd;

private Q_SLOTS:
    void initTestCase()
    {
        QFile theme(QCoreApplication::applicationDirPath() + QStringLiteral("/theme/korva.qss"));
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

    void publishesNotification_data()
    {
        QTest::addColumn<QString>("eventType");
        QTest::addColumn<QString>("text");
        QTest::newRow("SIM removed") << KorvaFeedback::SimRemoved << QStringLiteral("SIM card removed");
        QTest::newRow("provisioning saved")
            << KorvaFeedback::CellularPositive
            << QStringLiteral("Settings received and saved: \"Operator <b>\"");
    }

    void publishesNotification()
    {
        QFETCH(QString, eventType);
        QFETCH(QString, text);
        Notifier notifier;
        notifier.showNotification(text, eventType);
        const QList<QVariantList> calls = m_notifications->notes();
        QCOMPARE(calls.size(), 1);
        const QVariantList& args = calls.first();
        QCOMPARE(args.value(0).toString(), QStringLiteral("korvad"));
        QCOMPARE(args.value(1).toUInt(), 0u);
        QCOMPARE(args.value(3).toString(), QString()); // summary
        QCOMPARE(args.value(4).toString(), text);
        const QVariantMap hints = qdbus_cast<QVariantMap>(args.value(6));
        QCOMPARE(hints.value(QStringLiteral("category")).toString(), eventType);
        QCOMPARE(args.value(7).toInt(), -1);
        QCoreApplication::processEvents();
        QVERIFY(banners().isEmpty());
    }

    void emptyTextDoesNothing()
    {
        m_notifications->control(NotifyPath, QStringLiteral("SetRefuse"), { true });
        Notifier notifier;
        notifier.showNotification(QString(), KorvaFeedback::SimError);
        QCoreApplication::processEvents();
        QVERIFY(m_notifications->notes().isEmpty());
        QVERIFY(banners().isEmpty());
    }

    // Whatever keeps the notification from being taken, the text reaches the
    // user as a system banner, a tap dismisses it, and the daemon is held up
    // no longer than the publishing wait.
    void untakenNotificationBecomesBanner_data()
    {
        QTest::addColumn<QString>("server");
        QTest::newRow("refused") << "refused";
        QTest::newRow("absent") << "absent";
        QTest::newRow("hung") << "hung";
        QTest::newRow("answering a string") << "string";
    }

    void untakenNotificationBecomesBanner()
    {
        QFETCH(QString, server);
        if (server == QLatin1String("refused"))
            m_notifications->control(NotifyPath, QStringLiteral("SetRefuse"), { true });
        else if (server == QLatin1String("absent"))
            m_notifications->stop();
        else if (server == QLatin1String("hung"))
            QVERIFY(m_notifications->freeze(true));
        else {
            m_notifications->control(NotifyPath, QStringLiteral("AddMethod"),
                { QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"),
                    QStringLiteral("susssasa{sv}i"), QStringLiteral("s"), QStringLiteral("ret = 'x'") });
            QTest::ignoreMessage(QtWarningMsg,
                QRegularExpression(QStringLiteral("Notify: expected arguments \\(u\\), got \\(s\\)")));
        }

        Notifier notifier;
        // Long enough to wrap: the banner must hold all of it.
        const QString text = QStringLiteral("SIM card registration failed. Contact your service provider "
                                            "for more information about your subscription.");
        QElapsedTimer timer;
        timer.start();
        notifier.showNotification(text, KorvaFeedback::CellularPositive);
        QVERIFY2(timer.elapsed() < 5 * Tarn::Notification::ReplyTimeoutMs, "publishing wait is unbounded");

        QTRY_COMPARE(banners().size(), 1);
        QPointer<Tarn::Banner> banner = banners().first();
        QCOMPARE(banner->title(), text);
        QCOMPARE(banner->styleName(), KorvaBanner::System);
        QVERIFY(QTest::qWaitForWindowExposed(banner));
        QCOMPARE(banner->geometry().topLeft(), QPoint(0, 0));
        auto* label = banner->findChild<QLabel*>();
        QVERIFY(label);
        QVERIFY2(label->heightForWidth(label->width()) <= label->height(), "banner title is cut");

        const QRect r = banner->geometry();
        QVERIFY(XTools::click(r.center().x(), r.center().y()));
        QTRY_VERIFY(banner.isNull());
        m_notifications->freeze(false);
    }

    void bannerGoesByItself()
    {
        Notifier notifier;
        notifier.showBanner(QStringLiteral("SIM card removed"));
        QCOMPARE(banners().size(), 1);
        QPointer<Tarn::Banner> banner = banners().first();
        QCOMPARE(banner->styleName(), KorvaBanner::Information);
        QTRY_VERIFY_WITH_TIMEOUT(banner.isNull(), Tarn::Banner::DisplayTimeMs + 3000);
    }

    // A stop ends one play of that event, by feedbackd's id; what was never
    // played or has already ended sends nothing.
    void stops_data()
    {
        QTest::addColumn<QStringList>("plays");
        QTest::addColumn<bool>("endedFirst");
        QTest::addColumn<QStringList>("stops");
        QTest::addColumn<int>("ends");
        const QString pin = KorvaFeedback::PinQueryHaptic;
        const QString strong = KorvaFeedback::QueryStrong;
        QTest::newRow("same event twice, stopped once")
            << QStringList { pin, pin, KorvaFeedback::SimError } << false << QStringList { pin } << 1;
        QTest::newRow("three stops of two plays")
            << QStringList { strong, strong } << false << QStringList { strong, strong, strong } << 2;
        QTest::newRow("never played")
            << QStringList() << false << QStringList { KorvaFeedback::SimError, QString() } << 0;
        QTest::newRow("already ended") << QStringList { KorvaFeedback::SimAdded } << true
                                       << QStringList { KorvaFeedback::SimAdded } << 0;
    }

    void stops()
    {
        QFETCH(QStringList, plays);
        QFETCH(bool, endedFirst);
        QFETCH(QStringList, stops);
        QFETCH(int, ends);
        Notifier notifier;
        for (const QString& event : plays)
            notifier.playNGFEvent(event);
        QCOMPARE(notifier.runningEvents().size(), plays.size());
        QTRY_COMPARE(running().size(), plays.size());
        if (endedFirst) {
            for (uint remote : running())
                m_feedbackd->control(FeedbackPath, QStringLiteral("FinishFeedback"), { remote, 0u });
            QTRY_VERIFY(notifier.runningEvents().isEmpty());
        }
        for (const QString& event : stops)
            notifier.stopNGFEvent(event);
        QTRY_COMPARE(m_feedbackd->calls(FeedbackPath, QStringLiteral("EndFeedback")).size(), ends);
        const qsizetype left = endedFirst ? 0 : plays.size() - ends;
        QTRY_COMPARE(notifier.runningEvents().size(), left);
        QCOMPARE(running().size(), left);
        if (left)
            QCOMPARE(QStringList(notifier.runningEvents().values()).count(stops.first()),
                plays.count(stops.first()) - ends);
        // The rest end as feedbackd reports them.
        for (uint remote : running())
            m_feedbackd->control(FeedbackPath, QStringLiteral("FinishFeedback"), { remote, 0u });
        QTRY_VERIFY(notifier.runningEvents().isEmpty());
    }
};

QTEST_MAIN(TestNotifier)
#include "tst_notifier.moc"
