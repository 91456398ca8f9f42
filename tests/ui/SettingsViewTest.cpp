#include "SettingsBench.h"

#include "settings/AppLanguage.h"
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

TEST(SettingsViewTest, TwoSettingsViewsStayInStep) {
    SettingsBench bench(QUrl(QStringLiteral("http://127.0.0.1:9/feed")), {900, 1500});
    SettingsController* left = bench.newController();
    SettingsController* right = bench.newController();
    QVariantMap properties = bench.properties(left);
    properties.insert(QStringLiteral("other"), QVariant::fromValue<QObject*>(right));
    ASSERT_TRUE(bench.host.load(R"qml(
        import QtQuick
        import Velarion.Ui
        Item {
            required property QtObject controller
            required property QtObject other
            required property QtObject updates
            SettingsContent { objectName: "left"; width: 420; controller: parent.controller; updates: parent.updates }
            SettingsContent { objectName: "right"; x: 450; width: 420; controller: parent.other; updates: parent.updates }
        })qml",
                                properties));
    QQuickItem* leftView = bench.host.find(QStringLiteral("left"));
    QQuickItem* rightView = bench.host.find(QStringLiteral("right"));
    ASSERT_TRUE(leftView && rightView);

    QQuickItem* leftSlider = child(child(leftView, "blurRow"), "slider");
    pressAt(bench.host, leftSlider, {leftSlider->width() - 1, leftSlider->height() / 2});
    EXPECT_EQ(textOf(child(child(rightView, "blurRow"), "readout")), QStringLiteral("50"));
    EXPECT_EQ(child(child(rightView, "blurRow"), "slider")->property("value").toDouble(), 45.0);

    // Each view records on its own.
    bench.host.click(child(leftView, "recordButton"));
    EXPECT_TRUE(left->recorder()->recording());
    EXPECT_FALSE(right->recorder()->recording());
    QTest::keyClick(&bench.host.window(), Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(textOf(child(rightView, "shortcutText")), QStringLiteral("Ctrl+Shift+K"));
}

TEST(SettingsViewTest, ChoosingArabicTurnsTheOpenViewRightToLeft) {
    SettingsBench bench;
    ASSERT_TRUE(bench.loadSettings());
    QQuickItem* picker = bench.host.find(QStringLiteral("languagePicker"));
    ASSERT_TRUE(picker);
    const double middle = bench.host.find(QStringLiteral("settingsContent"))->width() / 2;
    EXPECT_GT(picker->mapToScene({0, 0}).x(), middle);

    bench.host.click(picker);
    QQuickItem* arabic = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        arabic = bench.host.findVisual(QStringLiteral("language-1"));
        return arabic && arabic->isVisible() && arabic->width() > 0;
    }));
    EXPECT_EQ(textOf(arabic), QStringLiteral("العربية"));
    bench.host.click(arabic);

    EXPECT_EQ(bench.host.localization().language(), AppLanguage::arabic);
    EXPECT_TRUE(QTest::qWaitFor([&] { return picker->mapToScene({0, 0}).x() < middle; }));
    EXPECT_EQ(textOf(picker->property("contentItem").value<QQuickItem*>()),
              QStringLiteral("العربية"));
}
