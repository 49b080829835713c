#include "EmergencyDialer.h"

#include "../Trace.h"
#include "CallHandler.h"
#include "CodeField.h"
#include "EditLine.h"
#include "Keypad.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace Emergency {

namespace {

// The library's own texts, with English for a catalogue that lacks them.
QString text(const char* id, const char* english)
{
    const QString t = qtTrId(id);
    return t == QLatin1String(id) ? QString::fromLatin1(english) : t;
}

const QString CallKeyStyle = QStringLiteral("EmergencyDialerCallButton");
const QString CallKeyActiveStyle = QStringLiteral("EmergencyDialerCallButtonActive");

} // namespace

EmergencyDialer::EmergencyDialer(CallHandler* handler, QWidget* parent)
    : QWidget(parent)
    , m_handler(handler)
    , m_field(new CodeField(this, false))
    , m_keypad(new Keypad(this, QStringLiteral("EmergencyDialerButton")))
{
    setObjectName(QStringLiteral("EmergencyDialer"));
    setProperty("styleName", QStringLiteral("EmergencyDialer"));
    setAttribute(Qt::WA_StyledBackground);
    setAttribute(Qt::WA_DeleteOnClose);
    m_field->setMode(2, true);
    m_field->setMaxLength(16);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(16);
    layout->addWidget(m_field);
    layout->addWidget(m_keypad, 1);

    connect(m_keypad, &Keypad::numberClicked, m_field, &CodeField::insert);
    connect(m_keypad, &Keypad::leftBottomClicked, this, &QWidget::close);
    connect(m_keypad, &Keypad::rightBottomClicked, this, &EmergencyDialer::call);
    connect(m_field, &CodeField::enterPressed, this, &EmergencyDialer::call);
    connect(m_field, &CodeField::textChanged, this, &EmergencyDialer::updateCallKey);
    if (handler)
        connect(handler, &CallHandler::callStarted, this, &QWidget::close);
    // Digits typed anywhere on the dialer go into its field.
    installEventFilter(m_field);
    retranslate();
    updateCallKey(QString());
}

void EmergencyDialer::appear()
{
    if (QWidget* p = parentWidget()) {
        setGeometry(p->rect());
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        setGeometry(screen->geometry());
    }
    show();
    raise();
    activateWindow();
    m_field->editLine()->setFocus(Qt::OtherFocusReason);
}

bool EmergencyDialer::event(QEvent* event)
{
    // Follow the page it covers.
    if (event->type() == QEvent::ParentChange && parentWidget())
        setGeometry(parentWidget()->rect());
    if (event->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            close();
            return true;
        }
    }
    return QWidget::event(event);
}

void EmergencyDialer::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void EmergencyDialer::retranslate()
{
    m_field->setTitleText(text("qtn_emer_dialer_title", "Emergency call"));
    m_keypad->setLeftBottomButton(
        text("qtn_emer_back", "Back"), QString(), QStringLiteral("EmergencyDialerBackButton"));
    m_keypad->setRightBottomButton(text("qtn_emer_call", "Call"), QString(), QString());
}

void EmergencyDialer::updateCallKey(const QString& number)
{
    const bool emergency = m_handler && m_handler->isEmergencyNumber(number);
    m_keypad->setRightBottomButton(m_keypad->button(Keypad::RightBottom)->text(), QString(),
        emergency ? CallKeyActiveStyle : CallKeyStyle);
    m_keypad->button(Keypad::RightBottom)
        ->setAccessibleDescription(emergency
                ? text("qtn_emer_number_typed", "The number typed is an emergency number. Press to call.")
                : QString());
    if (!number.isEmpty())
        m_field->setHintText(QString());
}

void EmergencyDialer::call()
{
    const QString number = m_field->text();
    if (!m_handler || !m_handler->isEmergencyNumber(number)) {
        m_field->setHintText(text("qtn_emer_only_emergency", "Only emergency calls are possible"));
        return;
    }
    m_handler->startEmergencyCall(number);
}

} // namespace Emergency
