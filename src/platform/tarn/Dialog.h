#pragma once

#include <QDialog>
#include <QHash>
#include <QString>

class QLabel;
class QHBoxLayout;
class QVBoxLayout;
class QPushButton;

namespace Tarn {

// A phone dialog: a title, a central widget and a row of standard buttons.
// Its result is the value of the button pressed; accepted() follows Ok/Yes/
// Save and rejected() follows No/Cancel, as well as the QDialog values 1/0.
class Dialog : public QDialog
{
    Q_OBJECT
public:
    // Values as the platform's dialogs report them.
    enum StandardButton {
        NoButton = 0x0,
        Ok = 0x400,
        Save = 0x800,
        Yes = 0x4000,
        No = 0x10000,
        Cancel = 0x400000
    };
    Q_DECLARE_FLAGS(StandardButtons, StandardButton)
    Q_FLAG(StandardButtons)

    enum DeletionPolicy { KeepWhenDone, DestroyWhenDone };

    explicit Dialog(
        const QString& title = QString(), StandardButtons buttons = NoButton, QWidget* parent = nullptr);

    QString title() const;
    void setTitle(const QString& title);

    void setCentralWidget(QWidget* widget);
    QWidget* centralWidget() const { return m_central; }

    void setButtons(StandardButtons buttons);
    StandardButtons buttons() const { return m_buttons; }
    QPushButton* button(StandardButton which) const { return m_buttonWidgets.value(which); }

    // A system dialog is a question kept above other windows. It blocks no
    // window of its own process: a page the user must answer first keeps the
    // input, and the dialog waits behind it (Application::holdScreen).
    void setSystemModal(bool systemModal);
    bool isSystemModal() const { return m_systemModal; }

    // Shows it now, or once nothing holds the screen (see Application);
    // the answer comes as finished(int).
    void appear(DeletionPolicy policy = KeepWhenDone);

    // Full screen width, centred, as tall as the content needs; again after
    // the content changed.
    void placeOnScreen();

public Q_SLOTS:
    void disappear();
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void comeUp();
    void screenHeld(bool held);

    QLabel* m_title;
    QVBoxLayout* m_body;
    QHBoxLayout* m_buttonRow;
    QWidget* m_central = nullptr;
    StandardButtons m_buttons = NoButton;
    QHash<int, QPushButton*> m_buttonWidgets;
    bool m_systemModal = false;
};

} // namespace Tarn

Q_DECLARE_OPERATORS_FOR_FLAGS(Tarn::Dialog::StandardButtons)
