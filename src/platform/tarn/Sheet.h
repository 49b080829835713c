#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QVBoxLayout;

namespace Tarn {

// A full-screen sheet: a header strip with the sheet's actions on top and a
// central widget below. Shown system-wide, it stays above every other window
// until it disappears.
//
// Header and central widget become the sheet's children; setting a new one
// deletes the old.
class Sheet : public QWidget
{
    Q_OBJECT
public:
    enum DeletionPolicy { KeepWhenDone, DestroyWhenDone };

    explicit Sheet(QWidget* parent = nullptr);

    QString styleName() const;
    void setStyleName(const QString& name);

    void setHeaderWidget(QWidget* widget);
    QWidget* headerWidget() const { return m_header; }
    void setCentralWidget(QWidget* widget);
    QWidget* centralWidget() const { return m_central; }

    // Above every application, covering the whole screen; a question, so it
    // waits while the screen is held (see Application). With KeepWhenDone
    // the sheet survives disappear() and can be shown again.
    void appearSystemwide(DeletionPolicy policy);

public Q_SLOTS:
    void disappear();

Q_SIGNALS:
    // Once the sheet is on screen.
    void appeared();
    void disappeared();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void comeUp();
    void screenHeld(bool held);
    void replace(QPointer<QWidget>& slot, QWidget* widget, int index);

    QVBoxLayout* m_layout;
    QPointer<QWidget> m_header;
    QPointer<QWidget> m_central;
    DeletionPolicy m_policy = KeepWhenDone;
};

} // namespace Tarn
