#include "Icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace Tarn {

namespace {

// A telephone handset, drawn so the emergency key never shows blank.
QIcon handset()
{
    QPixmap pixmap(96, 96);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(48, 48);
    p.rotate(-45);
    QPainterPath body;
    body.moveTo(-30, -6);
    body.cubicTo(-18, 16, 18, 16, 30, -6);
    p.setPen(QPen(Qt::white, 12, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(-40, -20, 20, 22), 6, 6);
    p.drawRoundedRect(QRectF(20, -20, 20, 22), 6, 6);
    return QIcon(pixmap);
}

// A chevron in the theme's text colour, pointing where "back" lies.
QIcon backArrow(Qt::LayoutDirection direction)
{
    QPixmap pixmap(80, 80);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (direction == Qt::RightToLeft) {
        p.translate(80, 0);
        p.scale(-1, 1);
    }
    p.setPen(QPen(Qt::white, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({ QPointF(48, 16), QPointF(24, 40), QPointF(48, 64) }));
    return QIcon(pixmap);
}

} // namespace

QIcon Icon::fromName(const QString& name, Qt::LayoutDirection direction)
{
    // hicolor, which every theme falls back to, holds applications' icons,
    // never these: without a theme of its own the platform has none of them,
    // and reading hicolor's index would cost the first page ~8 ms.
    const QString theme = QIcon::themeName();
    if (!theme.isEmpty() && theme != QLatin1String("hicolor")) {
        QIcon icon = QIcon::fromTheme(name);
        if (!icon.isNull())
            return icon;
    }
    if (name == QLatin1String("icon-m-telephony-emergency-call"))
        return handset();
    if (name == QLatin1String("icon-m-toolbar-back"))
        return backArrow(direction);
    return QIcon();
}

} // namespace Tarn
