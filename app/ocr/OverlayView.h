#pragma once

#include <QList>
#include <QRectF>
#include <QWidget>

// The overlay's content: a clear ground and one black rounded rectangle per mask rectangle at the
// given opacity. Every rectangle is painted on its own, so overlaps come out darker.
class OverlayView final : public QWidget {
    Q_OBJECT

public:
    OverlayView(QList<QRectF> rects, double maskOpacity, QWidget* parent = nullptr);

    const QList<QRectF>& rects() const { return m_rects; }
    double maskOpacity() const { return m_maskOpacity; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<QRectF> m_rects;
    double m_maskOpacity;
};
