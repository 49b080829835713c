#include <platform/emergency/CodeField.h>
#include <platform/emergency/EditLine.h>
#include <ui/KorvadWin.h>
#include <ui/PinCodeQueryUI.h>
#include <ui/PinUiWidget.h>
#include <ui/UiWrapper.h>

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

// The page as the query engine drives it, through the wrapper only.
class TestUiWrapper : public QObject
{
    Q_OBJECT

private:
    static QString windowStyle(const UiWrapper& ui)
    {
        KorvadWin* w = ui.queryPage() ? ui.queryPage()->currentWindow() : nullptr;
        return w ? w->styleName() : QStringLiteral("<no window>");
    }
    static bool escapeShown(const UiWrapper& ui)
    {
        return ui.queryPage()->componentDisplayMode(Tarn::ApplicationPage::EscapeButton)
            == Tarn::ApplicationPage::Show;
    }

private Q_SLOTS:
    void nothingBeforeTheFirstTitle()
    {
        UiWrapper ui;
        QSignalSpy back(&ui, &UiWrapper::backButtonClicked);
        ui.appear(true, true);
        ui.setHintText(QStringLiteral("hint"));
        ui.setForced(false);
        ui.hideStatusBar(true);
        ui.closeUi();
        QVERIFY(!ui.entryWidget());
        QVERIFY(!ui.queryPage());
        QVERIFY(!ui.pageItem());
        QVERIFY(!ui.isVisible());
        QVERIFY(!ui.isOnTop());
        QCOMPARE(ui.code(), QString());
        // The first title makes the widget, and only the widget.
        ui.setTitle(QStringLiteral("Enter PIN code"), false);
        QVERIFY(ui.entryWidget());
        QVERIFY(!ui.queryPage());
        PinUiWidget* first = ui.entryWidget();
        ui.setTitle(QStringLiteral("Incorrect PIN code"), true);
        QCOMPARE(ui.entryWidget(), first);
        QVERIFY(first->codeField()->isTitleError());
    }

    void appearForcedOrFree_data()
    {
        QTest::addColumn<bool>("forced");
        QTest::addColumn<QString>("style");
        QTest::addRow("free") << false << QString();
        QTest::addRow("forced") << true << QStringLiteral("pinNoStatusBar");
    }

    void appearForcedOrFree()
    {
        QFETCH(bool, forced);
        QFETCH(QString, style);
        UiWrapper ui;
        ui.setTitle(QStringLiteral("Enter PIN code"), false);
        ui.appear(false, forced);
        QVERIFY(ui.isVisible());
        QCOMPARE(ui.pageItem(), static_cast<QWidget*>(ui.queryPage()));
        QCOMPARE(ui.queryPage()->centralWidget(), static_cast<QWidget*>(ui.entryWidget()));
        QCOMPARE(windowStyle(ui), style);
        QCOMPARE(ui.isOnTop(), forced);
        QCOMPARE(escapeShown(ui), !forced);
        QCOMPARE(ui.isForced(), forced);
        // Escape is a back, except on a page the user may not leave.
        QSignalSpy back(&ui, &UiWrapper::backButtonClicked);
        QTest::keyClick(ui.entryWidget()->codeField()->editLine(), Qt::Key_Escape);
        QCOMPARE(back.count(), forced ? 0 : 1);
        QVERIFY(ui.isVisible());
    }

    void setForced()
    {
        UiWrapper ui;
        ui.setTitle(QStringLiteral("Enter PIN code"), false);
        ui.appear(true, false);
        ui.closeUi();
        QTRY_VERIFY(!ui.queryPage()->currentWindow());
        // Hidden page: status bar and escape go, the window is not raised.
        ui.setForced(true);
        QCOMPARE(windowStyle(ui), QStringLiteral("pinNoStatusBar"));
        QVERIFY(!escapeShown(ui));
        QVERIFY(!ui.isOnTop());
        // The stored value again: nothing changes, not even the status bar.
        ui.hideStatusBar(false);
        QCOMPARE(windowStyle(ui), QStringLiteral("pinStatusBarNoMenu"));
        ui.setForced(true);
        QCOMPARE(windowStyle(ui), QStringLiteral("pinStatusBarNoMenu"));
        // After a call the forced page goes back above everything.
        ui.restoreForced();
        QCOMPARE(windowStyle(ui), QStringLiteral("pinNoStatusBar"));
        QVERIFY(ui.isOnTop());
        ui.appear(true);
        ui.setForced(false);
        QCOMPARE(windowStyle(ui), QString());
        QVERIFY(escapeShown(ui));
        QVERIFY(!ui.isOnTop());
        ui.hideStatusBar(false);
        QCOMPARE(windowStyle(ui), QString());
        ui.restoreForced();
        QVERIFY(!ui.isOnTop());
    }

    void closingTheWindowIsABack()
    {
        UiWrapper ui;
        QSignalSpy back(&ui, &UiWrapper::backButtonClicked);
        ui.setTitle(QStringLiteral("Enter PIN code"), false);
        ui.appear(true, false);
        QPointer<KorvadWin> first = ui.queryPage()->currentWindow();
        first->close();
        // Reported from the event loop, after the close.
        QCOMPARE(back.count(), 0);
        QTRY_COMPARE(back.count(), 1);
        QTRY_VERIFY(!first);
        // The back button says the same; the page and widget survive.
        ui.appear(true);
        QVERIFY(ui.isVisible());
        QTest::mouseClick(ui.queryPage()->escapeButton(), Qt::LeftButton);
        QCOMPARE(back.count(), 2);
        QVERIFY(ui.entryWidget());
        QVERIFY(ui.queryPage());
    }

    void reopenedWindowHasThePlainStyle()
    {
        UiWrapper ui;
        ui.setTitle(QStringLiteral("Enter PIN code"), false);
        ui.appear(true, true);
        QCOMPARE(windowStyle(ui), QStringLiteral("pinNoStatusBar"));
        KorvadWin* first = ui.queryPage()->currentWindow();
        ui.closeUi();
        QVERIFY(!ui.isVisible());
        // Right away, before the old window is gone: never shown again.
        ui.appear(true);
        KorvadWin* second = ui.queryPage()->currentWindow();
        QVERIFY(second != first);
        QCOMPARE(second->styleName(), QString());
        QVERIFY(ui.isVisible());
        // Keys typed into the new window still reach the field.
        QTest::keyClick(second, Qt::Key_4);
        QCOMPARE(ui.code(), QStringLiteral("4"));
    }

    void destroyingPolicyFreesThePageOnDismissal()
    {
        UiWrapper ui;
        ui.setTitle(QStringLiteral("Enter PIN code"), false);
        ui.appear(false, false);
        QPointer<PinCodeQueryUI> page = ui.queryPage();
        ui.closeUi();
        QVERIFY(page);
        ui.appear(false);
        page->disappear();
        QTRY_VERIFY(!ui.queryPage());
        QVERIFY(!ui.entryWidget());
        // Nothing to show until a title comes again.
        ui.appear(true);
        QVERIFY(!ui.queryPage());
        ui.setTitle(QStringLiteral("Enter PIN code"), false);
        ui.appear(true);
        QVERIFY(ui.isVisible());
    }
};

QTEST_MAIN(TestUiWrapper)
#include "tst_uiwrapper.moc"
