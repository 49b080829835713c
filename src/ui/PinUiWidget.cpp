#include "PinUiWidget.h"

#include <common/Vocabulary.h>
#include <platform/Trace.h>
#include <platform/emergency/CodeField.h>
#include <platform/emergency/EditLine.h>
#include <platform/emergency/Keypad.h>
#include <platform/tarn/Icon.h>

#include <QEvent>
#include <QPushButton>
#include <QVBoxLayout>

PinUiWidget::PinUiWidget(QWidget* parent)
    : Tarn::StylableWidget(parent)
{
    createContent();
}

PinUiWidget::~PinUiWidget()
{
    KTRACE();
}

void PinUiWidget::createContent()
{
    setStyleName(QStringLiteral("korvaPinQueryWidget"));
    auto* policy = new QVBoxLayout(this);
    policy->setContentsMargins(0, 0, 0, 0);
    policy->setSpacing(0);

    auto* middleSpacer = new Tarn::StylableWidget(QStringLiteral("korvaPinMiddleSpacer"), this);
    auto* bottomSpacer = new Tarn::StylableWidget(QStringLiteral("korvaPinBottomSpacer"), this);
    bottomSpacer->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    middleSpacer->setObjectName(QStringLiteral("korvaPinMiddleSpacer"));
    bottomSpacer->setObjectName(QStringLiteral("korvaPinBottomSpacer"));

    field = new Emergency::CodeField(this, true);
    field->setObjectName(QStringLiteral("pinCodeField"));
    setFieldMode(0, false);
    Emergency::EditLine* edit = field->editLine();
    edit->setInputMethodHints(Qt::ImhPreferNumbers | Qt::ImhNoPredictiveText | Qt::ImhDigitsOnly
        | Qt::ImhNoAutoUppercase | Qt::ImhSensitiveData);
    // Queued: the relays leave the field before anyone reacts to them.
    connect(field, &Emergency::CodeField::textChanged, this, &PinUiWidget::textChanged, Qt::QueuedConnection);
    connect(field, &Emergency::CodeField::maxLenReached, this, &PinUiWidget::maxLengthExeeded,
        Qt::QueuedConnection);
    connect(field, &Emergency::CodeField::enterPressed, this, &PinUiWidget::enterReleased);

    cancelKey = new QPushButton(this);
    Tarn::StylableWidget::setStyleName(cancelKey, QStringLiteral("CommonSingleButtonInverted"));
    cancelKey->setObjectName(QStringLiteral("pinCancelButton"));
    cancelKey->setFocusPolicy(Qt::NoFocus);
    connect(cancelKey, &QPushButton::clicked, this, &PinUiWidget::cancelReleased);

    keypad = new Emergency::Keypad(this, QStringLiteral("korvaButton"));
    keypad->setObjectName(QStringLiteral("pinKeypad"));
    keypad->setRightBottomButton(qtTrId(KorvaText::OkButton), QString(), QStringLiteral("korvaButtonOk"));
    okKey = keypad->button(Emergency::Keypad::RightBottom);
    okKey->setEnabled(true);
    connect(keypad, &Emergency::Keypad::numberClicked, field, &Emergency::CodeField::insert);
    connect(keypad, &Emergency::Keypad::rightBottomClicked, this, &PinUiWidget::enterReleased);
    keypad->setLeftBottomButton(QString(), QString(), QStringLiteral("korvaEmergencyButton"));
    emergencyKey = keypad->button(Emergency::Keypad::LeftBottom);
    emergencyKey->setIcon(Tarn::Icon::fromName(QStringLiteral("icon-m-telephony-emergency-call")));
    emergencyKey->setIconSize(QSize(48, 48));
    // Drawn as an icon only; a screen reader needs its name.
    emergencyKey->setAccessibleName(qtTrId(KorvaText::EmergencyCallKey));
    setEmergencyMode(false, false);

    connect(edit, &Emergency::EditLine::gainedFocus, this, &PinUiWidget::fieldFocusGained);
    connect(field, &Emergency::CodeField::tapped, this, &PinUiWidget::uiClicked);
    connect(cancelKey, &QPushButton::pressed, this, &PinUiWidget::uiClicked);
    connect(keypad, &Emergency::Keypad::numberClicked, this, &PinUiWidget::uiClicked);
    connect(emergencyKey, &QPushButton::pressed, this, &PinUiWidget::uiClicked);
    connect(this, &PinUiWidget::enterReleased, this, &PinUiWidget::uiClicked);

    policy->addWidget(field, 0, Qt::AlignHCenter);
    policy->addWidget(keypad, 0, Qt::AlignHCenter);
    policy->addWidget(middleSpacer);
    policy->addWidget(cancelKey, 0, Qt::AlignHCenter);
    policy->addWidget(bottomSpacer);

    retranslateUi();
}

void PinUiWidget::retranslateUi()
{
    if (cancelKey)
        cancelKey->setText(qtTrId(KorvaText::CancelButton));
    if (keypad)
        keypad->setRightBottomButton(qtTrId(KorvaText::OkButton), QString(), QString());
    if (emergencyKey)
        emergencyKey->setAccessibleName(qtTrId(KorvaText::EmergencyCallKey));
}

void PinUiWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    Tarn::StylableWidget::changeEvent(event);
}

void PinUiWidget::mousePressEvent(QMouseEvent* event)
{
    Q_EMIT uiClicked();
    Tarn::StylableWidget::mousePressEvent(event);
}

void PinUiWidget::fieldFocusGained(Qt::FocusReason reason)
{
    // Focus that follows the window becoming active is not the user's touch.
    if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason)
        Q_EMIT uiClicked();
}

void PinUiWidget::setFieldMode(int mode, bool flag)
{
    if (!field)
        return;
    field->setMode(mode, flag);
    if (!masked && mode != 2)
        field->setMode(2, true);
}

void PinUiWidget::setEmergencyMode(bool active, bool reset)
{
    if (!field)
        return;
    if (reset)
        setFieldMode(-1, false);
    if (active) {
        setFieldMode(2, true);
        Tarn::StylableWidget::setStyleName(emergencyKey, QStringLiteral("korvaEmergencyButtonActive"));
    } else {
        setFieldMode(0, true);
        Tarn::StylableWidget::setStyleName(emergencyKey, QStringLiteral("korvaEmergencyButton"));
    }
    // What the highlight tells the eye, told to a screen reader.
    if (emergencyKey)
        emergencyKey->setAccessibleDescription(active ? qtTrId(KorvaText::EmergencyNumberTyped) : QString());
}

QString PinUiWidget::text() const
{
    return field ? field->text() : QString();
}

void PinUiWidget::removeText()
{
    if (field)
        field->clear();
}

void PinUiWidget::setTitleText(const QString& text)
{
    if (field)
        field->setTitleText(text, 0, true, QString());
}

void PinUiWidget::setHintText(const QString& text)
{
    if (field)
        field->setHintText(text, 0, true, QString());
}

void PinUiWidget::setErrorText(const QString& error)
{
    if (!field)
        return;
    field->setTitleText(error, 0, true, QString());
    setFieldMode(1, false);
}

void PinUiWidget::setMaxLen(int max)
{
    if (field)
        field->setMaxLength(max);
}

void PinUiWidget::resetMode()
{
    setFieldMode(-1, false);
    setFieldMode(0, false);
}

void PinUiWidget::maskCode(bool mask)
{
    masked = mask;
}
