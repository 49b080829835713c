#pragma once

#include <QFlags>
#include <QHash>
#include <QPointer>
#include <QWidget>

class QPushButton;
class QVBoxLayout;

namespace Tarn {

class ApplicationWindow;
class StylableWidget;

// A page of an application window: a header with the escape (back) button
// and a central widget.
//
// A page may be created as a child of the very widget it then takes as its
// central widget; it leaves that widget first, so ownership runs page ->
// content and never in a circle.
class ApplicationPage : public QWidget
{
    Q_OBJECT
public:
    enum Component { HomeButton = 0x1, NavigationBar = 0x2, EscapeButton = 0x4, AllComponents = 0x7 };
    Q_DECLARE_FLAGS(Components, Component)
    enum DisplayMode { Show = 0, AutoHide = 1, Hide = 2 };
    // Auto: the back key dismisses the page. ManualBack: it is only reported
    // through backButtonClicked(). CloseWindow: it closes the window.
    enum EscapeMode { EscapeAuto = 0, EscapeManualBack = 1, EscapeCloseWindow = 2 };
    // What happens to a page once it has disappeared.
    enum DeletionPolicy { KeepWhenDone = 0, DestroyWhenDone = 1, DestroyWhenDismissed = 2 };

    explicit ApplicationPage(QWidget* parent = nullptr);

    void setCentralWidget(QWidget* widget);
    QWidget* centralWidget() const { return m_central; }

    void setComponentsDisplayMode(Components components, DisplayMode mode);
    DisplayMode componentDisplayMode(Component component) const;
    void setEscapeMode(EscapeMode mode) { m_escapeMode = mode; }
    EscapeMode escapeMode() const { return m_escapeMode; }
    void setPannable(bool pannable) { m_pannable = pannable; }
    bool isPannable() const { return m_pannable; }
    void setPositionIndicatorVisible(bool visible) { m_positionIndicator = visible; }
    bool isPositionIndicatorVisible() const { return m_positionIndicator; }
    DeletionPolicy deletionPolicy() const { return m_policy; }

    QPushButton* escapeButton() const { return m_escape; }

public Q_SLOTS:
    // Shows the page in `window` (the page's own window when null).
    virtual void appear(Tarn::ApplicationWindow* window, Tarn::ApplicationPage::DeletionPolicy policy);
    virtual void disappear();

Q_SIGNALS:
    void backButtonClicked();
    void appeared();
    void disappeared();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void escape();
    void updateEscapeIcon();

    StylableWidget* m_header;
    QPushButton* m_escape;
    QVBoxLayout* m_layout;
    QPointer<QWidget> m_central;
    QHash<int, DisplayMode> m_modes;
    EscapeMode m_escapeMode = EscapeAuto;
    DeletionPolicy m_policy = KeepWhenDone;
    bool m_pannable = true;
    bool m_positionIndicator = true;
};

} // namespace Tarn

Q_DECLARE_OPERATORS_FOR_FLAGS(Tarn::ApplicationPage::Components)
