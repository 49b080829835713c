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

} // namespace

QIcon Icon::fromName(const QString& name)
{
    QIcon icon = QIcon::fromTheme(name);
    if (!icon.isNull())
        return icon;
    if (name == QLatin1String("icon-m-telephony-emergency-call"))
        return handset();
    return QIcon();
}

} // namespace Tarn
