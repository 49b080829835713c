#include <XTools.h>

#include <platform/emergency/CodeField.h>
#include <ui/KorvadWin.h>
#include <ui/PinCodeQueryUI.h>
#include <ui/PinUiWidget.h>
#include <ui/UiWrapper.h>

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

// The query window on a real X server: the hints the window manager reads,
// the status bar the theme decides on, and a user typing on it.
class TestQueryWindow : public QObject
{
    Q_OBJECT

private:
    static QString id(QWidget* w) { return QString::number(w->winId()); }

private Q_SLOTS:
    void initTestCase()
    {
        QFile qss(QCoreApplication::applicationDirPath() + QStringLiteral("/theme/korva.qss"));
        QVERIFY(qss.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(qss.readAll()));
    }

    void stackingHints()
    {
        UiWrapper ui;
        ui.setTitle(QStringLiteral("Enter PIN code"), false);
        ui.appear(true, true);
        KorvadWin* w = ui.queryPage()->currentWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QString win = id(w);
        QCOMPARE(XTools::xprop(win, QStringLiteral("_TARN_STACKING_LAYER")),
            QStringLiteral("_TARN_STACKING_LAYER(CARDINAL) = 3"));
        QCOMPARE(XTools::xprop(win, QStringLiteral("_TARNTOUCH_CANNOT_MINIMIZE")),
            QStringLiteral("_TARNTOUCH_CANNOT_MINIMIZE(CARDINAL) = 3"));
        QCOMPARE(XTools::xprop(win, QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR")),
            QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR(CARDINAL) = 3"));

        ui.setWindowOnTop(false);
        QCOMPARE(XTools::xprop(win, QStringLiteral("_TARN_STACKING_LAYER")),
            QStringLiteral("_TARN_STACKING_LAYER(CARDINAL) = 0"));
        QVERIFY(XTools::xprop(win, QStringLiteral("_TARNTOUCH_CANNOT_MINIMIZE"))
                    .contains(QLatin1String("not found")));
        QVERIFY(XTools::xprop(win, QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR"))
                    .contains(QLatin1String("not found")));
        QVERIFY(!ui.isOnTop());

        ui.restoreForced();
        QCOMPARE(XTools::xprop(win, QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR")),
            QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR(CARDINAL) = 3"));
    }

    void statusBarFollowsTheStyle_data()
    {
        QTest::addColumn<bool>("forced");
        QTest::addColumn<bool>("hide");
        QTest::addColumn<QString>("style");
        QTest::addColumn<bool>("bar");
        QTest::addColumn<bool>("menu");
        QTest::addRow("free, shown") << false << false << QString() << true << true;
        QTest::addRow("free, hidden") << false << true << QStringLiteral("pinNoStatusBar") << false << false;
        QTest::addRow("forced, shown")
            << true << false << QStringLiteral("pinStatusBarNoMenu") << true << false;
        QTest::addRow("forced, hidden") << true << true << QStringLiteral("pinNoStatusBar") << false << false;
    }

    void statusBarFollowsTheStyle()
    {
        QFETCH(bool, forced);
        QFETCH(bool, hide);
        QFETCH(QString, style);
        QFETCH(bool, bar);
        QFETCH(bool, menu);
        UiWrapper ui;
        ui.setTitle(QStringLiteral("Enter PIN code"), false);
        ui.appear(true, forced);
        ui.hideStatusBar(hide);
        KorvadWin* w = ui.queryPage()->currentWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(w->styleName(), style);
        QCOMPARE(w->statusBar()->isVisible(), bar);
        QCOMPARE(w->statusBar()->findChild<QWidget*>(QStringLiteral("statusBarMenu"))->isVisible(), menu);
    }

    void userTypesAndPressesOk()
    {
        UiWrapper ui;
        ui.setTitle(QStringLiteral("Enter PIN code"), false);
        ui.setMaxLen(8);
        ui.appear(true, false);
        KorvadWin* w = ui.queryPage()->currentWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QSignalSpy enterCode(&ui, qOverload<const QString&>(&UiWrapper::enterReleased));
        QSignalSpy clicked(&ui, &UiWrapper::uiClicked);
        QVERIFY(XTools::key(id(w), QStringLiteral("1")));
        QTRY_COMPARE(ui.code(), QStringLiteral("1"));

        // A digit key and OK, touched where the user sees them.
        PinUiWidget* page = ui.entryWidget();
        QPushButton* five = page->findChild<QPushButton*>(QStringLiteral("keypadButton4"));
        const QPoint fiveAt = five->mapToGlobal(five->rect().center());
        QVERIFY(XTools::click(fiveAt.x(), fiveAt.y()));
        QTRY_COMPARE(ui.code(), QStringLiteral("15"));
        const QPoint okAt = page->okButton()->mapToGlobal(page->okButton()->rect().center());
        QVERIFY(XTools::click(okAt.x(), okAt.y()));
        QTRY_COMPARE(enterCode.count(), 1);
        QCOMPARE(enterCode.first().first().toString(), QStringLiteral("15"));
        QVERIFY(clicked.count() >= 2);

        QVERIFY(XTools::key(id(w), QStringLiteral("Return")));
        QTRY_COMPARE(enterCode.count(), 2);
    }
};

QTEST_MAIN(TestQueryWindow)
#include "tst_querywindow.moc"
