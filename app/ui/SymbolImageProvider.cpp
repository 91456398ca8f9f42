#include "ui/SymbolImageProvider.h"

#include "ui/SymbolCatalog.h"

#include <QColor>
#include <QIcon>
#include <QLinearGradient>
#include <QPainter>
#include <QStandardPaths>
#include <QSvgRenderer>

namespace {

constexpr int kDefaultSizePx = 32;

QColor colourFromHex(const QString& hex) {
    return QColor(QLatin1Char('#') + hex);
}

QImage renderSource(const SymbolCatalog::Source& source, const QSize& size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (!source.resourcePath.isEmpty()) {
        QSvgRenderer renderer(source.resourcePath);
        QPainter painter(&image);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
        return image;
    }
    const QIcon icon = QIcon::fromTheme(source.themeName);
    if (!icon.isNull()) {
        QPainter painter(&image);
        icon.paint(&painter, QRect(QPoint(0, 0), size));
    }
    return image;
}

void tint(QImage& image, const QColor& from, const QColor& to, bool rightToLeft) {
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    if (to.isValid()) {
        const qreal w = image.width();
        QLinearGradient gradient(rightToLeft ? w : 0, 0, rightToLeft ? 0 : w, image.height());
        gradient.setColorAt(0, from);
        gradient.setColorAt(1, to);
        painter.fillRect(image.rect(), gradient);
    } else {
        painter.fillRect(image.rect(), from);
    }
}

}  // namespace

void SymbolImageProvider::prepareIconThemes() {
    // Only a desktop's platform theme adds the XDG icon folders; without one Qt searches its own
    // resources alone.
    QStringList searchPaths = QIcon::themeSearchPaths();
    for (const QString& dir :
         QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                   QStandardPaths::LocateDirectory)) {
        if (!searchPaths.contains(dir)) {
            searchPaths << dir;
        }
    }
    QIcon::setThemeSearchPaths(searchPaths);
    const QString adwaita = QStringLiteral("Adwaita");
    if (QIcon::themeName().isEmpty()) {
        QIcon::setThemeName(adwaita);
    }
    if (QIcon::fallbackThemeName().isEmpty() ||
        QIcon::fallbackThemeName() == QLatin1String("hicolor")) {
        QIcon::setFallbackThemeName(adwaita);
    }
}

SymbolImageProvider::SymbolImageProvider()
    : QQuickImageProvider(QQuickImageProvider::Image) {}

QImage SymbolImageProvider::requestImage(const QString& id, QSize* size,
                                         const QSize& requestedSize) {
    const QStringList parts = id.split(QLatin1Char('/'));
    const QSize target(requestedSize.width() > 0 ? requestedSize.width() : kDefaultSizePx,
                       requestedSize.height() > 0 ? requestedSize.height() : kDefaultSizePx);
    if (size) {
        *size = target;
    }
    const SymbolCatalog::Source source = SymbolCatalog::find(parts.value(0));
    if (!source.isValid() || parts.size() < 2) {
        QImage empty(target, QImage::Format_ARGB32_Premultiplied);
        empty.fill(Qt::transparent);
        return empty;
    }
    const bool rightToLeft = parts.last() == QLatin1String("rtl");
    const QColor from = colourFromHex(parts.at(1));
    const QColor to = parts.size() > 2 && parts.at(2) != QLatin1String("rtl")
                          ? colourFromHex(parts.at(2))
                          : QColor();
    QImage image = renderSource(source, target);
    tint(image, from, to, rightToLeft);
    if (rightToLeft && source.mirrorsInRightToLeft) {
        image = image.mirrored(true, false);
    }
    return image;
}
