#include "ocr/OverlayView.h"

#include "ocr/OverlayGeometry.h"

#include <QPainter>
#include <QPainterPath>

OverlayView::OverlayView(QList<QRectF> rects, double maskOpacity, QWidget* parent)
    : QWidget(parent)
    , m_rects(std::move(rects))
    , m_maskOpacity(maskOpacity) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAutoFillBackground(false);
}

void OverlayView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QColor fill(Qt::black);
    fill.setAlphaF(static_cast<float>(m_maskOpacity));
    painter.setBrush(fill);
    for (const QRectF& r : m_rects) {
        painter.drawRoundedRect(r, OverlayGeometry::kCornerRadius, OverlayGeometry::kCornerRadius);
    }
}
