#include "Keypad.h"

#include <QGridLayout>
#include <QPushButton>
#include <QStyle>

namespace Emergency {

Keypad::Keypad(QWidget* parent, const QString& keyStyleName)
    : QWidget(parent)
{
    setProperty("styleName", QStringLiteral("EmergencyKeypad"));
    // 1-2-3 from the left, as on every phone, whatever way the text runs.
    setLayoutDirection(Qt::LeftToRight);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(8);
    static const char* const labels[KeyCount] = { "1", "2", "3", "4", "5", "6", "7", "8", "9", "", "0", "" };
    for (int i = 0; i < KeyCount; ++i) {
        auto* key = new QPushButton(QString::fromLatin1(labels[i]), this);
        key->setObjectName(QStringLiteral("keypadButton%1").arg(i));
        key->setProperty("styleName", keyStyleName);
        key->setFocusPolicy(Qt::NoFocus);
        key->setAutoDefault(false);
        key->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        grid->addWidget(key, i / 3, i % 3);
        m_keys << key;
        if (i == LeftBottom)
            connect(key, &QPushButton::clicked, this, &Keypad::leftBottomClicked);
        else if (i == RightBottom)
            connect(key, &QPushButton::clicked, this, &Keypad::rightBottomClicked);
        else
            connect(key, &QPushButton::clicked, this,
                [this, i] { Q_EMIT numberClicked(QString::fromLatin1(labels[i])); });
    }
}

QPushButton* Keypad::button(int index) const
{
    return index >= 0 && index < m_keys.size() ? m_keys.at(index) : nullptr;
}

void Keypad::setLeftBottomButton(const QString& label, const QString& secondary, const QString& styleName)
{
    setCornerButton(LeftBottom, label, secondary, styleName);
}

void Keypad::setRightBottomButton(const QString& label, const QString& secondary, const QString& styleName)
{
    setCornerButton(RightBottom, label, secondary, styleName);
}

void Keypad::setCornerButton(
    int index, const QString& label, const QString& secondary, const QString& styleName)
{
    QPushButton* key = m_keys.at(index);
    key->setText(secondary.isEmpty() ? label : label + QLatin1Char('\n') + secondary);
    if (!styleName.isNull() && key->property("styleName").toString() != styleName) {
        key->setProperty("styleName", styleName);
        key->style()->unpolish(key);
        key->style()->polish(key);
    }
}

} // namespace Emergency
