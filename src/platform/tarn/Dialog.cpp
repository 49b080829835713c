#include "Dialog.h"

#include "../Trace.h"
#include "../stacking/WindowStacking.h"
#include "Application.h"
#include "Label.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace Tarn {

namespace {

struct ButtonInfo
{
    Dialog::StandardButton value;
    const char* textId;
    const char* fallback;
    const char* styleName;
};

// Button texts are the platform's shared ones.
const ButtonInfo kButtons[] = {
    { Dialog::Yes, "qtn_comm_yes", "Yes", "TarnDialogButtonPositive" },
    { Dialog::Ok, "qtn_comm_short_ok", "OK", "TarnDialogButtonPositive" },
    { Dialog::Save, "qtn_comm_save", "Save", "TarnDialogButtonPositive" },
    { Dialog::No, "qtn_comm_no", "No", "TarnDialogButton" },
    { Dialog::Cancel, "qtn_comm_cancel", "Cancel", "TarnDialogButton" },
};

QString buttonText(const ButtonInfo& info)
{
    const QString text = qtTrId(info.textId);
    return text == QLatin1String(info.textId) ? QString::fromLatin1(info.fallback) : text;
}

} // namespace

Dialog::Dialog(const QString& title, StandardButtons buttons, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog)
    , m_title(new Label(QString(), this))
    , m_body(new QVBoxLayout)
    , m_buttonRow(new QHBoxLayout)
{
    setProperty("styleName", QStringLiteral("TarnDialog"));
    setObjectName(QStringLiteral("TarnDialog"));
    m_title->setObjectName(QStringLiteral("dialogTitle"));
    m_title->setProperty("styleName", QStringLiteral("TarnDialogTitle"));
    m_title->setWordWrap(true);
    m_title->setAlignment(Qt::AlignHCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(20);
    layout->addWidget(m_title);
    layout->addLayout(m_body);
    layout->addLayout(m_buttonRow);
    m_buttonRow->setSpacing(16);

    setTitle(title);
    setButtons(buttons);
    if (auto* app = Application::instance())
        connect(app, &Application::screenHeldChanged, this, &Dialog::screenHeld);
}

QString Dialog::title() const
{
    return m_title->text();
}

void Dialog::setTitle(const QString& title)
{
    m_title->setText(title);
    m_title->setVisible(!title.isEmpty());
    setWindowTitle(title);
}

void Dialog::setCentralWidget(QWidget* widget)
{
    if (m_central == widget)
        return;
    delete m_central;
    m_central = widget;
    if (widget)
        m_body->addWidget(widget);
}

void Dialog::setButtons(StandardButtons buttons)
{
    qDeleteAll(m_buttonWidgets);
    m_buttonWidgets.clear();
    m_buttons = buttons;
    for (const ButtonInfo& info : kButtons) {
        if (!buttons.testFlag(info.value))
            continue;
        auto* button = new QPushButton(buttonText(info), this);
        button->setProperty("styleName", QString::fromLatin1(info.styleName));
        button->setObjectName(QStringLiteral("dialogButton%1").arg(int(info.value)));
        button->setMinimumHeight(64);
        button->setAutoDefault(false);
        const int value = info.value;
        connect(button, &QPushButton::clicked, this, [this, value] { done(value); });
        m_buttonRow->addWidget(button);
        m_buttonWidgets.insert(value, button);
    }
    // Enter presses the positive button when there is one.
    for (const ButtonInfo& info : kButtons)
        if (QPushButton* b = m_buttonWidgets.value(info.value)) {
            b->setDefault(true);
            break;
        }
}

void Dialog::setSystemModal(bool systemModal)
{
    m_systemModal = systemModal;
    setWindowFlag(Qt::WindowStaysOnTopHint, systemModal);
}

void Dialog::appear(DeletionPolicy policy)
{
    setAttribute(Qt::WA_DeleteOnClose, policy == DestroyWhenDone);
    auto* app = Application::instance();
    const Application::WindowKind kind = m_systemModal ? Application::Question : Application::Passive;
    if (!app || app->mayShow(this, kind, [this] { comeUp(); }))
        comeUp();
}

void Dialog::comeUp()
{
    if (m_systemModal) {
        // Its size first: some compositors take it with the placement.
        placeOnScreen();
        WindowStacking::instance().place(this, WindowStacking::Question);
    }
    show();
    raise();
    activateWindow();
}

void Dialog::screenHeld(bool held)
{
    // An open question steps aside and comes back when the screen is free.
    if (!held || !m_systemModal || !isVisible())
        return;
    KTRACE() << "steps aside";
    hide();
    Application::instance()->mayShow(this, Application::Question, [this] { comeUp(); });
}

void Dialog::disappear()
{
    // Closing without a button reports the plain QDialog rejection value.
    done(QDialog::Rejected);
}

void Dialog::done(int result)
{
    KTRACE() << result;
    if (auto* app = Application::instance())
        app->cancelShow(this);
    QDialog::done(result);
    // QDialog signals accepted()/rejected() only for 1 and 0.
    if (result == Ok || result == Yes || result == Save)
        Q_EMIT accepted();
    else if (result == No || result == Cancel)
        Q_EMIT rejected();
}

void Dialog::showEvent(QShowEvent* event)
{
    placeOnScreen();
    QDialog::showEvent(event);
}

void Dialog::placeOnScreen()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const int width = area.width() - 32;
    setFixedWidth(width);
    // Wrapped texts need the height for this width, not for their own hint.
    QLayout* l = layout();
    l->activate();
    const int hfw = l->hasHeightForWidth() ? l->totalHeightForWidth(width) : 0;
    resize(width, qMax(hfw, sizeHint().height()));
    move(area.x() + (area.width() - width) / 2, area.y() + (area.height() - height()) / 2);
}

} // namespace Tarn
