#include "Banner.h"

#include "../Trace.h"
#include "../stacking/WindowStacking.h"
#include "Application.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace Tarn {

Banner::Banner(QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
    , m_title(new QLabel(this))
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("TarnBanner"));
    // A banner must not take the keyboard from the page the user types in.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_StyledBackground);
    m_title->setObjectName(QStringLiteral("bannerTitle"));
    m_title->setWordWrap(true);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_title);

    m_timer->setSingleShot(true);
    m_timer->setInterval(DisplayTimeMs);
    connect(m_timer, &QTimer::timeout, this, &Banner::disappear);
}

QString Banner::title() const
{
    return m_title->text();
}

void Banner::setTitle(const QString& title)
{
    m_title->setText(title);
    setWindowTitle(title);
    if (isVisible())
        placeOnScreen();
}

void Banner::setStyleName(const QString& styleName)
{
    m_styleName = styleName;
    // The theme selects on this property, on the banner and on its title.
    m_title->setProperty("styleName", styleName);
    if (testAttribute(Qt::WA_WState_Polished)) {
        style()->unpolish(this);
        style()->polish(this);
        m_title->style()->unpolish(m_title);
        m_title->style()->polish(m_title);
    }
    if (isVisible())
        placeOnScreen();
}

void Banner::appear(DeletionPolicy policy)
{
    KTRACE() << m_styleName << title().size() << "chars";
    m_policy = policy;
    auto* app = Application::instance();
    if (!app || app->mayShow(this, Application::Passive, [this] { comeUp(); }))
        comeUp();
}

void Banner::comeUp()
{
    placeOnScreen();
    WindowStacking::instance().place(this, WindowStacking::Banner);
    show();
    raise();
    m_timer->start();
}

void Banner::disappear()
{
    m_timer->stop();
    auto* app = Application::instance();
    const bool waited = app && !isVisible() && app->cancelShow(this);
    if (waited && m_policy == DestroyWhenDone)
        deleteLater();
    if (!isVisible())
        return;
    hide();
    Q_EMIT disappeared();
    if (m_policy == DestroyWhenDone)
        deleteLater();
}

void Banner::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void Banner::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    const bool tap
        = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (tap)
        Q_EMIT clicked();
}

void Banner::placeOnScreen()
{
    ensurePolished();
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 480, 854);
    const int width = area.width();
    // Grow to whatever the wrapped title needs, but never past half the screen.
    int height = layout()->totalHeightForWidth(width);
    if (height <= 0)
        height = sizeHint().height();
    height = qBound(minimumSizeHint().height(), height, area.height() / 2);
    setFixedSize(width, height);
    move(area.topLeft());
}

} // namespace Tarn
