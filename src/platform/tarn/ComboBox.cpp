#include "ComboBox.h"

#include "StylableWidget.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QStyledItemDelegate>

namespace Tarn {

ComboBox::ComboBox(QWidget* parent)
    : QWidget(parent)
    , m_title(new QLabel(this))
    , m_box(new QComboBox(this))
{
    setAttribute(Qt::WA_StyledBackground);
    setProperty("styleName", QString());
    m_title->setObjectName(QStringLiteral("comboBoxTitle"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setWordWrap(true);
    m_box->setObjectName(QStringLiteral("comboBoxValue"));
    // The styled delegate lets the theme give list rows a thumb's height.
    m_box->setItemDelegate(new QStyledItemDelegate(m_box));
    m_box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_box->setMinimumContentsLength(8);
    m_title->setBuddy(m_box);
    setFocusProxy(m_box);

    // The opener mark lies over the box's right end; taps go through it.
    auto* opener = new QLabel(QStringLiteral("\u25BE"), this);
    opener->setObjectName(QStringLiteral("comboBoxOpener"));
    opener->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setVerticalSpacing(4);
    layout->addWidget(m_title, 0, 0);
    layout->addWidget(m_box, 1, 0);
    layout->addWidget(opener, 1, 0, Qt::AlignRight | Qt::AlignVCenter);

    connect(m_box, &QComboBox::currentIndexChanged, this,
        [this](int index) { Q_EMIT currentIndexChanged(m_box->itemText(index)); });
}

QString ComboBox::styleName() const
{
    return StylableWidget::styleName(this);
}

void ComboBox::setStyleName(const QString& name)
{
    StylableWidget::setStyleName(this, name);
    // The children's selectors name the parent's style.
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        child->style()->unpolish(child);
        child->style()->polish(child);
    }
}

QString ComboBox::title() const
{
    return m_title->text();
}

void ComboBox::setTitle(const QString& title)
{
    m_title->setText(title);
}

void ComboBox::addItem(const QString& text)
{
    m_box->addItem(text);
}

void ComboBox::addItems(const QStringList& texts)
{
    m_box->addItems(texts);
}

int ComboBox::count() const
{
    return m_box->count();
}

QString ComboBox::itemText(int index) const
{
    return m_box->itemText(index);
}

int ComboBox::currentIndex() const
{
    return m_box->currentIndex();
}

QString ComboBox::currentText() const
{
    return m_box->currentText();
}

void ComboBox::setCurrentIndex(int index)
{
    m_box->setCurrentIndex(index);
}

} // namespace Tarn
