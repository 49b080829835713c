#include "CodeField.h"

#include "../Trace.h"
#include "EditLine.h"

#include <platform/tarn/Locale.h>

#include <QAccessible>

#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace Emergency {

namespace {

const QString TitleStyle = QStringLiteral("EmergencyCodeFieldTitle");
const QString TitleErrorStyle = QStringLiteral("EmergencyCodeFieldTitleError");
const QString HintStyle = QStringLiteral("EmergencyCodeFieldHint");

void setStyleName(QWidget* widget, const QString& name)
{
    if (widget->property("styleName").toString() == name)
        return;
    widget->setProperty("styleName", name);
    // Style sheets match dynamic properties only when the widget is polished again.
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
}

bool isDigits(const QString& text)
{
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

} // namespace

CodeField::CodeField(QWidget* parent, bool reserveHint)
    : QWidget(parent)
    , m_title(new QLabel(this))
    , m_hint(new QLabel(this))
    , m_edit(new EditLine(this))
{
    setProperty("styleName", QStringLiteral("EmergencyCodeField"));
    setAttribute(Qt::WA_StyledBackground);
    m_title->setObjectName(QStringLiteral("codeFieldTitle"));
    m_hint->setObjectName(QStringLiteral("codeFieldHint"));
    m_edit->setObjectName(QStringLiteral("codeFieldEdit"));
    m_edit->setProperty("styleName", QStringLiteral("EmergencyCodeFieldEdit"));
    // Codes read left to right in every language.
    m_edit->setLayoutDirection(Qt::LeftToRight);
    for (QLabel* label : { m_title, m_hint }) {
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        label->setTextFormat(Qt::PlainText);
    }
    m_title->setProperty("styleName", TitleStyle);
    m_hint->setProperty("styleName", HintStyle);
    // The theme sizes a reserved hint line ([reserved="true"]).
    m_hint->setProperty("reserved", reserveHint);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_title);
    layout->addWidget(m_hint);
    layout->addWidget(m_edit);

    connect(m_edit, &QLineEdit::textChanged, this, &CodeField::textChanged);
    connect(m_edit, &EditLine::keyTyped, this, [this](QKeyEvent* event) {
        if (handleKey(event))
            event->accept();
    });
    m_edit->installEventFilter(this);
    applyMode();
}

void CodeField::setLine(QLabel* label, const QString& text, int lines, bool visible, const QString& styleName,
    const QString& defaultStyle)
{
    const QString shown = visible ? text : QString();
    if (label->text() != shown) {
        label->setText(shown);
        // A screen reader speaks a line that changes under the user's finger.
        QAccessibleEvent changed(label, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
    if (lines > 0)
        label->setMaximumHeight(lines * label->fontMetrics().lineSpacing() + 8);
    else
        label->setMaximumHeight(QWIDGETSIZE_MAX);
    setStyleName(label, styleName.isNull() ? defaultStyle : styleName);
}

void CodeField::setTitleText(const QString& text, int lines, bool visible, const QString& styleName)
{
    // A new title is a normal one until a mode says otherwise.
    m_titleError = false;
    setLine(m_title, text, lines, visible, styleName, TitleStyle);
    // The field is named after what it asks for.
    m_edit->setAccessibleName(m_title->text());
}

void CodeField::setHintText(const QString& text, int lines, bool visible, const QString& styleName)
{
    setLine(m_hint, text, lines, visible, styleName, HintStyle);
}

QString CodeField::titleText() const
{
    return m_title->text();
}

QString CodeField::hintText() const
{
    return m_hint->text();
}

void CodeField::setMode(int mode, bool flag)
{
    if (mode < -1 || mode > 2) {
        qWarning("Code field: unknown mode %d ignored", mode);
        return;
    }
    m_mode = mode;
    m_modeFlag = flag;
    if (mode == -1)
        m_titleError = false;
    else if (mode == 1)
        m_titleError = true;
    applyMode();
}

bool CodeField::isClearText() const
{
    return m_edit->echoMode() == QLineEdit::Normal;
}

void CodeField::applyMode()
{
    m_edit->setEchoMode(m_mode == 2 ? QLineEdit::Normal : QLineEdit::Password);
    setStyleName(m_title, m_titleError ? TitleErrorStyle : TitleStyle);
}

void CodeField::setMaxLength(int max)
{
    m_maxLength = max > 0 ? max : 0;
}

QString CodeField::text() const
{
    return m_edit->text();
}

bool CodeField::insert(const QString& typed)
{
    if (typed.isEmpty())
        return true;
    // Whatever script the keyboard types its digits in, the SIM and the
    // emergency numbers know Latin ones.
    const QString text = Tarn::Locale::toLatinNumbers(typed);
    if (!isDigits(text))
        return false;
    if (m_maxLength > 0 && m_edit->text().size() + text.size() > m_maxLength) {
        KTRACE() << "refused, length would be" << m_edit->text().size() + text.size();
        Q_EMIT maxLenReached();
        return false;
    }
    m_edit->insert(text);
    return true;
}

void CodeField::backspace()
{
    m_edit->backspace();
}

void CodeField::clear()
{
    m_edit->clear();
}

bool CodeField::handleKey(QKeyEvent* event)
{
    const int key = event->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        insert(QString(QChar('0' + (key - Qt::Key_0))));
        return true;
    }
    const QString typed = Tarn::Locale::toLatinNumbers(event->text());
    if (typed.size() == 1 && isDigits(typed)) {
        insert(typed);
        return true;
    }
    if (key == Qt::Key_Backspace) {
        backspace();
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // Repeats while the key is held are not new presses.
        if (!event->isAutoRepeat())
            Q_EMIT enterPressed();
        return true;
    }
    return false;
}

bool CodeField::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit) {
        if (event->type() == QEvent::MouseButtonPress)
            Q_EMIT tapped();
        return false;
    }
    // Keys nobody in the window took, e.g. while no widget has the focus.
    if (event->type() == QEvent::KeyPress && isVisible())
        return handleKey(static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

void CodeField::mousePressEvent(QMouseEvent* event)
{
    Q_EMIT tapped();
    QWidget::mousePressEvent(event);
}

} // namespace Emergency
