#include "SettingsBench.h"

#include "support/QtPrinters.h"

#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Presses and releases the left button at a point of `item`.
void pressAt(QmlHost& host, QQuickItem* item, QPointF local) {
    const QPoint at = item->mapToScene(local).toPoint();
    QTest::mousePress(&host.window(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(&host.window(), Qt::LeftButton, Qt::NoModifier, at);
}

QQuickItem* child(QQuickItem* parent, const char* name) {
    return parent ? parent->findChild<QQuickItem*>(QString::fromLatin1(name)) : nullptr;
}

}  // namespace

TEST(SettingsViewTest, SlidersStoreAndShowTheEndsOfTheirRanges) {
    SettingsBench bench;
    ASSERT_TRUE(bench.loadSettings());
    QQuickItem* blurRow = bench.host.find(QStringLiteral("blurRow"));
    QQuickItem* scanRow = bench.host.find(QStringLiteral("scanRow"));
    ASSERT_TRUE(blurRow && scanRow);

    // Each slider writes its own key; one end of each range is enough to tell them apart.
    struct Case {
        QQuickItem* row;
        bool rightEnd;
        double stored;
        QString shown;
    };
    const Case cases[] = {
        {blurRow, true, 50.0, QStringLiteral("50")},
        {scanRow, false, 1.0, QStringLiteral("1s")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown.toStdString());
        QQuickItem* slider = child(c.row, "slider");
        ASSERT_TRUE(slider);
        // Beyond the track's end the slider stays at its bound.
        const double x = c.rightEnd ? slider->width() - 1 : 1;
        pressAt(bench.host, slider, {x, slider->height() / 2});
        const std::optional<double> stored = bench.host.defaults().storedDouble(
            QString::fromLatin1(c.row == blurRow ? "blurRadius" : "ocrScanInterval"));
        EXPECT_EQ(stored, c.stored);
        EXPECT_EQ(textOf(child(c.row, "readout")), c.shown);
    }
}

// The refused change springing back is LaunchAtLoginSettingTest's; a switch that kept its own
// state instead of following the setting would still show "on" after the entry went.
TEST(SettingsViewTest, LaunchAtLoginFollowsTheEntryWhenShownAgain) {
    SettingsBench bench;
    ASSERT_TRUE(bench.loadSettings());
    QQuickItem* toggle = bench.host.find(QStringLiteral("launchAtLoginSwitch"));
    ASSERT_TRUE(toggle);
    bench.host.click(toggle);
    EXPECT_TRUE(toggle->property("on").toBool());
    ASSERT_TRUE(QFile::exists(bench.loginItem.filePath()));

    // Removed outside the application while the settings are hidden.
    bench.host.window().hide();
    ASSERT_TRUE(QFile::remove(bench.loginItem.filePath()));
    EXPECT_TRUE(toggle->property("on").toBool());
    bench.host.window().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bench.host.window()));
    EXPECT_FALSE(toggle->property("on").toBool());
}
