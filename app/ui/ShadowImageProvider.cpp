#include "ui/ShadowImageProvider.h"

#include <QColor>
#include <QPainter>

#include <algorithm>
#include <vector>

namespace {

constexpr int kMaxRadiusPx = 64;
constexpr int kMaxBlurPx = 48;

// One pass of a running-sum box blur over the alpha channel, along rows or columns. Three passes
// approximate a Gaussian closely enough for a shadow.
void boxBlurAlpha(QImage& image, int radius, bool horizontal) {
    const int w = image.width();
    const int h = image.height();
    const int lines = horizontal ? h : w;
    const int length = horizontal ? w : h;
    std::vector<int> alpha(length);
    const int window = 2 * radius + 1;
    for (int line = 0; line < lines; ++line) {
        auto pixel = [&](int i) -> QRgb& {
            const int x = horizontal ? i : line;
            const int y = horizontal ? line : i;
            return reinterpret_cast<QRgb*>(image.scanLine(y))[x];
        };
        for (int i = 0; i < length; ++i) {
            alpha[i] = qAlpha(pixel(i));
        }
        int sum = 0;
        for (int i = -radius; i <= radius; ++i) {
            sum += (i >= 0 && i < length) ? alpha[i] : 0;
        }
        for (int i = 0; i < length; ++i) {
            pixel(i) = qRgba(0, 0, 0, sum / window);
            const int leaving = i - radius;
            const int entering = i + radius + 1;
            sum -= leaving >= 0 ? alpha[leaving] : 0;
            sum += entering < length ? alpha[entering] : 0;
        }
    }
}

}  // namespace

ShadowImageProvider::ShadowImageProvider()
    : QQuickImageProvider(QQuickImageProvider::Image) {}

QImage ShadowImageProvider::requestImage(const QString& id, QSize* size, const QSize&) {
    const QStringList parts = id.split(QLatin1Char('/'));
    const int radius = std::clamp(parts.value(0).toInt(), 0, kMaxRadiusPx);
    const int blur = std::clamp(parts.value(1).toInt(), 0, kMaxBlurPx);
    QColor colour(QLatin1Char('#') + parts.value(2, QStringLiteral("000000")));
    if (!colour.isValid()) {
        colour = Qt::black;
    }
    const int border = borderFor(radius, blur);
    const int side = 2 * border + 1;
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        const QRectF shape(2 * blur, 2 * blur, side - 4 * blur, side - 4 * blur);
        painter.drawRoundedRect(shape, radius, radius);
    }
    // A blur "radius" as designers use it spreads about twice its standard deviation.
    const int passRadius = std::max(1, blur / 3);
    if (blur > 0) {
        for (int pass = 0; pass < 3; ++pass) {
            boxBlurAlpha(image, passRadius, true);
            boxBlurAlpha(image, passRadius, false);
        }
    }
    // Colour the blurred coverage.
    for (int y = 0; y < side; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < side; ++x) {
            line[x] = qRgba(colour.red(), colour.green(), colour.blue(),
                            qAlpha(line[x]) * colour.alpha() / 255);
        }
    }
    if (size) {
        *size = image.size();
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
