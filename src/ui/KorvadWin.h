#pragma once

#include <platform/tarn/ApplicationWindow.h>

// The query's top-level window. It deletes itself when closed, reports the
// close, and carries its stacking priority to the window manager.
class KorvadWin : public Tarn::ApplicationWindow
{
    Q_OBJECT
public:
    KorvadWin(const QString& styleName, QWidget* parent);

    void setPriority(bool normal);
    int priority() const { return m_priority; }
    void setFullScreen(bool full);
    bool isFullScreen() const;
    // True from an accepted close on: the window is on its way out.
    bool isClosed() const { return m_closed; }

Q_SIGNALS:
    void windowClosed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Shown above everything, the page must have the user's answer first:
    // other programs' questions wait until it goes.
    void updateHold();

    // 0 while an ordinary window, 3 above everything.
    int m_priority = 0;
    bool m_priorityWritten = false;
    bool m_closed = false;
};
