#include "shell/LockShieldIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace {

QPixmap render(int size, const QColor& shieldColor, const QColor& lockColor) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    // Shield outline in a 32 x 32 box.
    QPainterPath shield;
    shield.moveTo(16, 2);
    shield.cubicTo(20, 4.5, 24.5, 5.5, 28, 5.5);
    shield.lineTo(28, 14);
    shield.cubicTo(28, 22, 22.5, 27.5, 16, 30);
    shield.cubicTo(9.5, 27.5, 4, 22, 4, 14);
    shield.lineTo(4, 5.5);
    shield.cubicTo(7.5, 5.5, 12, 4.5, 16, 2);
    shield.closeSubpath();
    painter.fillPath(shield, shieldColor);

    // Padlock: shackle and body.
    QPen shackle(lockColor, 2.2);
    shackle.setCapStyle(Qt::RoundCap);
    painter.setPen(shackle);
    painter.setBrush(Qt::NoBrush);
    QPainterPath arc;
    arc.moveTo(12.5, 15.5);
    arc.lineTo(12.5, 12.5);
    arc.arcTo(QRectF(12.5, 9, 7, 7), 180, -180);
    arc.lineTo(19.5, 15.5);
    painter.drawPath(arc);
    painter.setPen(Qt::NoPen);
    painter.setBrush(lockColor);
    painter.drawRoundedRect(QRectF(10.5, 15, 11, 8.5), 1.5, 1.5);
    return pixmap;
}

}  // namespace

namespace LockShieldIcon {

QIcon make(const QColor& shieldColor, const QColor& lockColor) {
    QIcon icon;
    for (const int size : std::array{16, 22, 24, 32, 48, 64, 128}) {
        icon.addPixmap(render(size, shieldColor, lockColor));
    }
    return icon;
}

}  // namespace LockShieldIcon
