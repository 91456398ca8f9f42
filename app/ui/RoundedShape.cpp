#include "ui/RoundedShape.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

RoundedShape::RoundedShape(QQuickItem* parent)
    : QQuickPaintedItem(parent) {
    setAntialiasing(true);
    connect(this, &RoundedShape::appearanceChanged, this, [this] { update(); });
}

template <typename T>
void RoundedShape::assign(T& member, const T& value) {
    if (member == value) {
        return;
    }
    member = value;
    Q_EMIT appearanceChanged();
}

void RoundedShape::setRadius(qreal value) {
    assign(m_radius, value);
}
void RoundedShape::setFillColor(const QColor& value) {
    assign(m_fillColor, value);
}
void RoundedShape::setFillColor2(const QColor& value) {
    assign(m_fillColor2, value);
}
void RoundedShape::setDiagonal(bool value) {
    assign(m_diagonal, value);
}
void RoundedShape::setRightToLeft(bool value) {
    assign(m_rightToLeft, value);
}
void RoundedShape::setStrokeTop(const QColor& value) {
    assign(m_strokeTop, value);
}
void RoundedShape::setStrokeBottom(const QColor& value) {
    assign(m_strokeBottom, value);
}
void RoundedShape::setStrokeWidth(qreal value) {
    assign(m_strokeWidth, value);
}

void RoundedShape::paint(QPainter* painter) {
    const qreal w = width();
    const qreal h = height();
    if (w <= 0 || h <= 0) {
        return;
    }
    painter->setRenderHint(QPainter::Antialiasing);
    // The stroke lies inside the bounds, as a border of a SwiftUI shape overlay does.
    const qreal inset = m_strokeWidth / 2;
    const QRectF rect = QRectF(0, 0, w, h).adjusted(inset, inset, -inset, -inset);
    const qreal radius =
        std::clamp(m_radius - inset, 0.0, std::min(rect.width(), rect.height()) / 2);
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);

    if (m_fillColor2.isValid()) {
        const qreal startX = m_diagonal && m_rightToLeft ? w : 0;
        const qreal endX = m_diagonal ? (m_rightToLeft ? 0 : w) : 0;
        QLinearGradient gradient(startX, 0, endX, h);
        gradient.setColorAt(0, m_fillColor);
        gradient.setColorAt(1, m_fillColor2);
        painter->fillPath(path, gradient);
    } else if (m_fillColor.alpha() > 0) {
        painter->fillPath(path, m_fillColor);
    }

    if (m_strokeWidth > 0 && (m_strokeTop.alpha() > 0 || m_strokeBottom.alpha() > 0)) {
        QLinearGradient border(0, 0, 0, h);
        border.setColorAt(0, m_strokeTop);
        border.setColorAt(1, m_strokeBottom);
        painter->strokePath(path, QPen(QBrush(border), m_strokeWidth));
    }
}
