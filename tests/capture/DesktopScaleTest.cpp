#include "capture/DesktopScale.h"

#include <gtest/gtest.h>

namespace {

TEST(DesktopScaleTest, XftDpiWinsOverGdkScaleAndQtScaleFactorMultiplies) {
    const struct {
        const char* resources;
        const char* gdkScale;
        const char* qtScaleFactor;
        int scale;
    } cases[] = {
        {"", "", "", 1},
        {"Xft.dpi:\t192\n", "", "", 2},
        {"Xft.antialias: 1\nXft.dpi: 144\n", "", "", 2},  // 1.5 rounds to the nearest
        {"Xft.dpi: 96\n", "2", "", 1},
        {"", "2", "", 2},
        {"", "2.9", "", 2},  // GTK takes whole numbers only
        {"", "", "2", 2},
        {"Xft.dpi: 192\n", "", "1.5", 3},
        {"Xft.dpi: -5\n", "nonsense", "0", 1},
        {"Xft.dpi: 1e300\n", "", "", 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.resources);
        SCOPED_TRACE(c.gdkScale);
        SCOPED_TRACE(c.qtScaleFactor);
        EXPECT_EQ(DesktopScale::scaleFactor(DesktopScale::xftDpi(c.resources), c.gdkScale,
                                            c.qtScaleFactor),
                  c.scale);
    }
}

}  // namespace
