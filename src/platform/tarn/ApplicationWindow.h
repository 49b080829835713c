#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class QTimer;
class QVBoxLayout;

#include "ApplicationPage.h"

namespace Tarn {

class StylableWidget;

// A phone application window: a status bar on top and one page below.
//
// The window's style name picks its look in the theme, including whether
// the status bar and its menu show (the theme sets the properties
// statusBarVisible and statusMenuVisible per style). Without a theme both show.
//
// A page shown in the window is not owned by it: when the window goes, the
// page is hidden and set free, so it can appear in another window.
class ApplicationWindow : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool statusBarVisible READ isStatusBarVisible WRITE setStatusBarVisible)
    Q_PROPERTY(bool statusMenuVisible READ isStatusMenuVisible WRITE setStatusMenuVisible)
public:
    enum Orientation { Landscape = 0, Portrait = 1 };

    explicit ApplicationWindow(QWidget* parent = nullptr);
    ~ApplicationWindow() override;

    QString styleName() const;
    void setStyleName(const QString& name);

    void setPage(ApplicationPage* page);
    ApplicationPage* currentPage() const { return m_page; }

    void setPortraitOrientation() { m_orientation = Portrait; }
    void setLandscapeOrientation() { m_orientation = Landscape; }
    Orientation orientation() const { return m_orientation; }
    void setOrientationLocked(bool locked) { m_orientationLocked = locked; }
    bool isOrientationLocked() const { return m_orientationLocked; }

    bool isStatusBarVisible() const { return m_statusBarVisible; }
    void setStatusBarVisible(bool visible);
    bool isStatusMenuVisible() const { return m_statusMenuVisible; }
    void setStatusMenuVisible(bool visible);
    // What the user sees now (the properties, once the window is shown).
    QWidget* statusBar() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void updateClock();

    StylableWidget* m_statusBar;
    QLabel* m_clock;
    QLabel* m_menu;
    QTimer* m_clockTimer;
    QWidget* m_content;
    QVBoxLayout* m_contentLayout;
    QPointer<ApplicationPage> m_page;
    Orientation m_orientation = Portrait;
    bool m_orientationLocked = false;
    bool m_statusBarVisible = true;
    bool m_statusMenuVisible = true;
};

} // namespace Tarn
