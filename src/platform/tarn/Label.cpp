#include "Label.h"

#include "StylableWidget.h"

#include <QFontMetrics>
#include <QRegularExpression>

namespace Tarn {

Label::Label(const QString& text, QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setText(text);
}

QString Label::styleName() const
{
    return StylableWidget::styleName(this);
}

void Label::setStyleName(const QString& name)
{
    StylableWidget::setStyleName(this, name);
}

QSize Label::minimumSizeHint() const
{
    // A wrapping label can always be made to fit: it shrinks its font.
    QSize size = QLabel::minimumSizeHint();
    if (wordWrap())
        size.setWidth(qMin(size.width(), fontMetrics().averageCharWidth() * 8));
    return size;
}

void Label::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    fitLongestWord();
}

void Label::fitLongestWord()
{
    if (!wordWrap())
        return;
    QFont theme = font();
    if (m_shrunk)
        theme.setPixelSize(m_themePixelSize);
    else
        m_themePixelSize = theme.pixelSize();
    // Sizes from the theme are in pixels; a point-sized font is left alone.
    if (m_themePixelSize <= 0)
        return;
    static const QRegularExpression space(QStringLiteral("\\s+"));
    const QFontMetrics metrics(theme);
    int widest = 0;
    for (const QString& word : text().split(space, Qt::SkipEmptyParts))
        widest = qMax(widest, metrics.horizontalAdvance(word));
    const int room = contentsRect().width() - 2 * margin();
    int size = m_themePixelSize;
    if (room > 0 && widest > room)
        // One character's slack: a bold word draws a little wider than it advances.
        size = qMax(m_themePixelSize * room / (widest + metrics.averageCharWidth()), m_themePixelSize / 2);
    if (size == font().pixelSize())
        return;
    m_shrunk = size != m_themePixelSize;
    setStyleSheet(m_shrunk ? QStringLiteral("font-size: %1px;").arg(size) : QString());
}

} // namespace Tarn
