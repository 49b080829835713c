#pragma once

#include <QStringList>
#include <QWidget>

class QComboBox;
class QLabel;

namespace Tarn {

// A selector: a title above the current item; a tap opens the list, the
// arrow keys step through it. Items are plain text.
class ComboBox : public QWidget
{
    Q_OBJECT
public:
    explicit ComboBox(QWidget* parent = nullptr);

    QString styleName() const;
    void setStyleName(const QString& name);

    QString title() const;
    void setTitle(const QString& title);

    void addItem(const QString& text);
    void addItems(const QStringList& texts);
    int count() const;
    QString itemText(int index) const;
    int currentIndex() const;
    QString currentText() const;
    void setCurrentIndex(int index);

    QComboBox* box() const { return m_box; }

Q_SIGNALS:
    // The text of the item that became current.
    void currentIndexChanged(const QString& text);

private:
    QLabel* m_title;
    QComboBox* m_box;
};

} // namespace Tarn
