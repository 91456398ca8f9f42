#include "shell/MainWindow.h"
#include "shell/SceneIds.h"
#include "shell/WindowRegistry.h"

#include <QAction>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

struct Fixture {
    WindowRegistry windows;
    QList<QUrl> openedUrls;
    MainWindow window{windows, [this](const QUrl& url) {
                          openedUrls.append(url);
                      }};

    Fixture() {
        for (const char* id : {SceneId::kSettings, SceneId::kHelp, SceneId::kUpdate,
                               SceneId::kCameraSetup, SceneId::kBroadcast}) {
            windows.registerWindow(QString::fromLatin1(id), QString::fromLatin1(id), {});
        }
    }
};

}  // namespace

TEST(MainWindowTest, EntriesOpenHelpTheWebSiteAndASupportMailAndClosingOnlyHides) {
    Fixture f;
    f.window.enableCameraExtensionAction()->trigger();
    EXPECT_NE(f.windows.window(SceneId::kHelp), nullptr);
    EXPECT_EQ(f.windows.window(SceneId::kCameraSetup), nullptr) << "help, not camera set-up";
    f.windows.window(SceneId::kHelp)->close();
    f.window.helpAction()->trigger();
    EXPECT_TRUE(f.windows.window(SceneId::kHelp)->isVisible());

    f.window.visitWebsiteAction()->trigger();
    f.window.emailSupportAction()->trigger();
    ASSERT_EQ(f.openedUrls.size(), 2);
    EXPECT_EQ(f.openedUrls[1].scheme(), QStringLiteral("mailto"));

    // Closing only hides it, and says so: the application lives on in the tray.
    bool closed = false;
    QObject::connect(&f.window, &MainWindow::closed, [&closed] { closed = true; });
    f.window.show();
    f.window.close();
    EXPECT_FALSE(f.window.isVisible());
    EXPECT_TRUE(closed);
}
