#pragma once

#include <platform/tarn/ApplicationPage.h>

#include <QPointer>
#include <QString>

class KorvadWin;

// The code page. It decides about its window: when to create it, how to
// show and raise it, which style it carries (whether the status bar shows)
// and whether it sits above everything else.
//
// The page does not own its window: a closed window deletes itself and the
// next operation that needs one creates a new one, with the plain style.
class PinCodeQueryUI : public Tarn::ApplicationPage
{
    Q_OBJECT
public:
    PinCodeQueryUI(bool forced, QWidget* parent);
    ~PinCodeQueryUI() override;

    // Creates the window, with this page in it, ahead of the first show.
    void prepareWindow();
    KorvadWin* win(const QString& styleName = QString());
    // The window if there is a live one; never creates it.
    KorvadWin* currentWindow() const;
    void showWindow();
    void setWindowOnTop(bool onTop);
    bool isOnTop() const;
    void hideStatusBar(bool hide);
    void disableStatusBar();
    void setFullScreen(bool full);
    bool isFullScreen() const;
    // `filter` sees the events of this page's windows, present and future.
    void installWindowEventFilter(QObject* filter);
    void windowTraces(const QString& label, const QString& where) const;

public Q_SLOTS:
    void appear(Tarn::ApplicationPage::DeletionPolicy policy = KeepWhenDone);
    void appear(Tarn::ApplicationWindow* window, Tarn::ApplicationPage::DeletionPolicy policy) override;
    void disappear() override;
    void closeUi();

Q_SIGNALS:
    void windowClosed();

private:
    void prefaultBuffer();

    QPointer<KorvadWin> window;
    QPointer<QObject> windowFilter;
};
