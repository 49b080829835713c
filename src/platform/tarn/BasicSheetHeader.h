#pragma once

#include <QPointer>
#include <QWidget>

class QAction;
class QPushButton;

namespace Tarn {

// The usual header of a sheet: the negative action (cancel) on the left and
// the positive one (save, done) on the right, each shown as a button that
// follows its action's text and enabled state and triggers it when tapped.
class BasicSheetHeader : public QWidget
{
    Q_OBJECT
public:
    explicit BasicSheetHeader(QWidget* parent = nullptr);

    QString styleName() const;
    void setStyleName(const QString& name);

    // The header does not own the actions.
    void setPositiveAction(QAction* action);
    QAction* positiveAction() const { return m_positive; }
    void setNegativeAction(QAction* action);
    QAction* negativeAction() const { return m_negative; }

    QPushButton* positiveButton() const { return m_positiveButton; }
    QPushButton* negativeButton() const { return m_negativeButton; }

private:
    void bind(QPointer<QAction>& slot, QAction* action, QPushButton* button);

    QPushButton* m_negativeButton;
    QPushButton* m_positiveButton;
    QPointer<QAction> m_positive;
    QPointer<QAction> m_negative;
};

} // namespace Tarn
