#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QString>

// Test images with text drawn by Qt, as a screen would show it (2× glyphs, antialiased).
namespace TextImage {

inline QFont font(const QString& family, int pixelSize) {
    QFont f(family);
    f.setPixelSize(pixelSize);
    return f;
}

inline QImage blank(int width, int height, const QColor& ground = Qt::white) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(ground);
    return image;
}

// Draws `text` with its top-left corner at `topLeft`.
inline void draw(QImage& image, const QString& text, QPoint topLeft, const QFont& font,
                 const QColor& ink = Qt::black) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(QRect(topLeft, QSize(image.width() - topLeft.x(), 200)),
                     Qt::AlignLeft | Qt::AlignTop, text);
}

inline void fill(QImage& image, const QRect& area, const QColor& color) {
    QPainter painter(&image);
    painter.fillRect(area, color);
}

}  // namespace TextImage
