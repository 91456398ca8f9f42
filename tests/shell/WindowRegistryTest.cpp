#include "shell/SceneIds.h"
#include "shell/WindowRegistry.h"

#include <QSignalSpy>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(WindowRegistryTest, OpeningTwiceRaisesTheOneExistingWindowAndUnknownIdsOpenNothing) {
    WindowRegistry windows;
    int created = 0;
    windows.registerWindow(SceneId::kSettings, QStringLiteral("Settings"), [&created] {
        ++created;
        return new QWidget;
    });
    QSignalSpy opened(&windows, &WindowRegistry::windowOpened);

    QWidget* first = windows.open(SceneId::kSettings);
    ASSERT_NE(first, nullptr);
    first->close();
    QWidget* second = windows.open(SceneId::kSettings);

    EXPECT_EQ(first, second);
    EXPECT_EQ(created, 1);
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(opened.count(), 2);
    EXPECT_EQ(windows.window(SceneId::kSettings), first);

    EXPECT_EQ(windows.open(QStringLiteral("preferences")), nullptr) << "unknown identifier";
}
