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

inline QFont sans(int pixelSize = 28) {
    return font(QStringLiteral("DejaVu Sans"), pixelSize);
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

// A chat bubble that hugs its text, as messengers draw them.
inline void bubble(QImage& image, const QRect& area, const QColor& ground, const QString& text,
                   const QColor& ink, QPoint textOffset = {18, 8}, const QFont& f = sans()) {
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ground);
        painter.drawRoundedRect(area, 18, 18);
    }
    draw(image, text, area.topLeft() + textOffset, f, ink);
}

}  // namespace TextImage
