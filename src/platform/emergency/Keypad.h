#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QPushButton;

namespace Emergency {

// A 3x4 numeric keypad. Keys by index, row by row: 0-8 are 1-9, 9 is the
// bottom-left key, 10 is 0, 11 is the bottom-right key. The two bottom
// corner keys are the caller's to label; they carry no digit.
// Keys never take the keyboard focus, so the code line keeps it.
class Keypad : public QWidget
{
    Q_OBJECT
public:
    static constexpr int KeyCount = 12;
    static constexpr int LeftBottom = 9;
    static constexpr int RightBottom = 11;

    Keypad(QWidget* parent, const QString& keyStyleName);

    QPushButton* button(int index) const;

    // `secondary` is an optional second, smaller line under the label.
    void setLeftBottomButton(const QString& label, const QString& secondary, const QString& styleName);
    void setRightBottomButton(const QString& label, const QString& secondary, const QString& styleName);

Q_SIGNALS:
    void numberClicked(const QString& digit);
    void leftBottomClicked();
    void rightBottomClicked();

private:
    void setCornerButton(int index, const QString& label, const QString& secondary, const QString& styleName);

    QList<QPushButton*> m_keys;
};

} // namespace Emergency
