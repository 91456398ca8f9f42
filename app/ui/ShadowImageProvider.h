#pragma once

#include <QQuickImageProvider>

// Soft shadows without shader effects (the software scene graph has none): for
// `image://shadow/<radius>/<blur>/<colour>` it draws a rounded rectangle of corner `radius` in
// `colour` (a QColor name without "#"), blurred by `blur` pixels, as a nine-patch image whose
// corner cells are `2 × blur + radius` pixels wide; a BorderImage with those borders stretches it
// under a card of any size. The opacity is left to the item. Called on loader threads.
class ShadowImageProvider final : public QQuickImageProvider {
public:
    ShadowImageProvider();

    // The border width a BorderImage needs for an image made with these values.
    static int borderFor(int radius, int blur) { return 2 * blur + radius; }

    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};
