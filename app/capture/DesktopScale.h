#pragma once

#include <QByteArray>

#include <optional>

// How many pixels make one point on this desktop, decided as Qt decides its own device pixel
// ratio on X11: the Xft.dpi resource over 96 (what desktops set for HiDPI), else GTK's integer
// GDK_SCALE, multiplied by QT_SCALE_FACTOR when that is set. Points are what the user and the
// windows see; the OCR snapshot is twice the points, so a wrong scale of 1 on a 2× screen made
// it four times the pixels it needs.
namespace DesktopScale {

// The Xft.dpi value of an X resource database string (the root window's RESOURCE_MANAGER), or
// nothing when it is absent, malformed or not positive.
std::optional<double> xftDpi(const QByteArray& resources);

// The whole-number scale (at least 1, at most 8); a fractional one is rounded to the nearest.
int scaleFactor(std::optional<double> xftDpi, const QByteArray& gdkScale,
                const QByteArray& qtScaleFactor);

// scaleFactor with GDK_SCALE and QT_SCALE_FACTOR from this process's environment.
int fromEnvironment(std::optional<double> xftDpi);

}  // namespace DesktopScale
