#pragma once

#include <QLabel>

namespace Tarn {

// A text label whose look is picked by its style name. Its text is always
// plain: what it shows may come from another program. A wrapping label
// whose longest word does not fit on a line shows in a smaller font rather
// than widen its window past the screen (long compounds in some languages).
class Label : public QLabel
{
    Q_OBJECT
public:
    explicit Label(const QString& text = QString(), QWidget* parent = nullptr);

    QString styleName() const;
    void setStyleName(const QString& name);

    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitLongestWord();

    int m_themePixelSize = 0;
    bool m_shrunk = false;
};

} // namespace Tarn
