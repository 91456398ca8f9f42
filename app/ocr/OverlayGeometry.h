#pragma once

#include "core/SensitiveRegion.h"

#include <QList>
#include <QRectF>
#include <QSizeF>

class UserDefaults;

// The arithmetic of the mask: where the rectangles go on the screen and how dark they are.
namespace OverlayGeometry {

// Horizontal and vertical growth of every mask rectangle on each side, in points.
inline constexpr double kGrowX = 4.0;
inline constexpr double kGrowY = 2.0;
inline constexpr double kCornerRadius = 3.0;

// The regions' bounds (pixels of an image of imageWidth × imageHeight) scaled to a screen of
// `screenSize` points, each grown by kGrowX left and right and kGrowY top and bottom. Order and
// duplicates are kept. A non-positive image size gives no rectangles.
QList<QRectF> maskRects(const QList<SensitiveRegion>& regions, QSizeF screenSize, double imageWidth,
                        double imageHeight);

// The mask opacity for the user's mask strength: blurRadius / 50, at least 0.3 and at most 1.0.
double maskOpacity(double blurRadius);
// The same for the stored "blurRadius" preference; a value never stored counts as 20.
double maskOpacity(const UserDefaults& defaults);

}  // namespace OverlayGeometry
