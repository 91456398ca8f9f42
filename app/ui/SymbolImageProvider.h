#pragma once

#include <QQuickImageProvider>

// Draws the app's symbols tinted, for `image://symbol/<name>/<colour>[/<colour2>][/rtl]`:
// <name> is a SymbolCatalog name, each colour is a QColor name without "#" ("ffffff",
// "80ff6666"); a second colour tints with a diagonal gradient from top-leading to bottom-trailing
// instead of a flat colour; "rtl" mirrors symbols that point along the reading direction.
// Theme icons and the module's own SVG files are rendered at the requested size, then every
// painted pixel takes the tint, so one drawing serves light and dark windows alike. An unknown
// name or a missing icon gives a transparent image. Called on the scene graph's loader threads.
class SymbolImageProvider final : public QQuickImageProvider {
public:
    SymbolImageProvider();

    // Makes the freedesktop icon lookup find the symbolic icons: the desktop's theme first, then
    // Adwaita. Without a desktop's theme (no platform theme, as on the offscreen platform) Qt
    // looks in no theme and no icon folder at all, so the XDG icon folders are added and Adwaita
    // becomes the theme. Once per process, before the first lookup.
    static void prepareIconThemes();

    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};
