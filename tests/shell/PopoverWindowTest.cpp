// The tray popup follows its content's height while open, keeping the edge that faces the icon.

#include "shell/PopoverWindow.h"

#include <QGuiApplication>
#include <QScreen>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(PopoverWindowTest, FollowsTheContentHeightKeepingTheEdgeTowardsTheIcon) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
        const char* name;
        QRect icon;
        bool keepsBottom;
    };
    const Case cases[] = {
        {"icon at the top", QRect(screen.center().x(), screen.top(), 24, 24), false},
        {"icon at the bottom", QRect(screen.center().x(), screen.bottom() - 24, 24, 24), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PopoverWindow popover;
        auto* content = new QWidget;
        popover.setContent(content);
        popover.fitContentHeight(240);
        popover.popUp(c.icon);
        ASSERT_EQ(popover.height(), 240);
        const QRect before = popover.geometry();

        popover.fitContentHeight(300);
        EXPECT_EQ(popover.height(), 300);
        EXPECT_EQ(popover.width(), PopoverWindow::kWidth);
        if (c.keepsBottom) {
            EXPECT_EQ(popover.geometry().bottom(), before.bottom());
        } else {
            EXPECT_EQ(popover.geometry().top(), before.top());
        }
    }
}
