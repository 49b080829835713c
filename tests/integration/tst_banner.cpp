#include <XTools.h>

#include <common/Vocabulary.h>
#include <platform/tarn/Banner.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

// Every banner style as the theme draws it on a phone-sized screen: a strip
// across the top that holds its whole title. Screenshots go to
// <build>/screenshots/banner-<style>.png.
class TestBanner : public QObject
{
    Q_OBJECT

private:
    static QString shotDir()
    {
        const QString dir = qEnvironmentVariable("KORVA_BUILD_DIR") + QStringLiteral("/screenshots");
        QDir().mkpath(dir);
        return dir;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QFile theme(QCoreApplication::applicationDirPath() + QStringLiteral("/theme/korva.qss"));
        QVERIFY(theme.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(theme.readAll()));
    }

    void eachStyle_data()
    {
        QTest::addColumn<QString>("style");
        for (const QString& style : { KorvaBanner::FullEvent, KorvaBanner::ShortEvent,
                 KorvaBanner::PrivateEvent, KorvaBanner::Information, KorvaBanner::LockScreenEvent,
                 KorvaBanner::System, KorvaBanner::Generic })
            QTest::newRow(qPrintable(style)) << style;
    }

    void eachStyle()
    {
        QFETCH(QString, style);
        const QString texts[] = {
            QStringLiteral("PIN code changed"),
            QStringLiteral("SIM card registration failed. Contact your service provider for more information "
                           "about your subscription, roaming and the settings of your SIM card."),
        };
        for (const QString& text : texts) {
            QPointer<Tarn::Banner> banner = new Tarn::Banner;
            banner->setTitle(text);
            banner->setStyleName(style);
            banner->appear(Tarn::Banner::DestroyWhenDone);
            QVERIFY(QTest::qWaitForWindowExposed(banner));

            const QRect screen = banner->screen()->geometry();
            QCOMPARE(banner->geometry().topLeft(), screen.topLeft());
            QCOMPARE(banner->width(), screen.width());
            QVERIFY(banner->height() < screen.height() / 2);
            // The wrapped title fits: nothing cut at the bottom.
            auto* label = banner->findChild<QLabel*>();
            QVERIFY(label);
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(),
                qPrintable(QStringLiteral("%1 needs %2 px, has %3")
                               .arg(style)
                               .arg(label->heightForWidth(label->width()))
                               .arg(label->height())));
            QVERIFY(label->height() >= 60); // a touch target, not a sliver
            QCOMPARE(label->text(), text);

            const QString shot
                = QStringLiteral("%1/banner-%2%3.png")
                      .arg(shotDir(), style, text.size() > 40 ? QStringLiteral("-long") : QString());
            QVERIFY(XTools::screenshot(shot));

            QSignalSpy gone(banner.data(), &Tarn::Banner::disappeared);
            banner->disappear();
            QCOMPARE(gone.size(), 1);
            banner->disappear(); // twice is harmless
            QCOMPARE(gone.size(), 1);
            QTRY_VERIFY(banner.isNull());
        }
    }
};

QTEST_MAIN(TestBanner)
#include "tst_banner.moc"
