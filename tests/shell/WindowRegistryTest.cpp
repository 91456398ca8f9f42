#include "shell/SceneIds.h"
#include "shell/WindowRegistry.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QVBoxLayout>

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
    EXPECT_FALSE(first->isVisible());
    QWidget* second = windows.open(SceneId::kSettings);

    EXPECT_EQ(first, second);
    EXPECT_EQ(created, 1);
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->windowTitle(), QStringLiteral("Settings"));
    EXPECT_EQ(opened.count(), 2);
    EXPECT_EQ(windows.window(SceneId::kSettings), first);

    EXPECT_EQ(windows.open(QStringLiteral("preferences")), nullptr) << "unknown identifier";
    EXPECT_EQ(windows.window(SceneId::kHelp), nullptr);
}

TEST(WindowRegistryTest, WindowIsCentredWhenFirstOpenedAndKeepsItsPlaceAfter) {
    WindowRegistry windows;
    windows.registerWindow(SceneId::kHelp, QStringLiteral("Velarion Help"), [] {
        auto* view = new QWidget;
        auto* layout = new QVBoxLayout(view);
        auto* body = new QLabel(QStringLiteral("Guides"));
        body->setFixedSize(300, 200);
        layout->addWidget(body);
        return view;
    });
    QWidget* window = windows.open(SceneId::kHelp);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(window->geometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(window->geometry().center().y() - screen.center().y()), 1);
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "sized to its content";

    window->move(10, 10);
    windows.open(SceneId::kHelp);
    EXPECT_EQ(window->pos(), QPoint(10, 10));
}
