#include "BroadcastTestbed.h"
#include "RecordingShell.h"

#include "support/QtPrinters.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace broadcast_testbed;

namespace {

QStringList titles(const QList<WindowInfo>& windows) {
    QStringList out;
    for (const WindowInfo& w : windows) {
        out << w.title;
    }
    return out;
}

}  // namespace

TEST(WindowListControllerTest, FilterDropsSystemSurfacesAndMatchesTheQueryIgnoringCase) {
    const QList<WindowInfo> windows = {
        {1, QStringLiteral("Inbox"), QStringLiteral("Mail"), true},
        {2, QStringLiteral("Dock"), QStringLiteral("Dock"), true},
        {3, QStringLiteral("Panel"), QStringLiteral("Velarion"), true},
        {4, QStringLiteral("The BackStop layer"), QStringLiteral("Desk"), true},
        {5, QStringLiteral("Wallpaper-1"), QStringLiteral("Desk"), true},
        {6, QStringLiteral(""), QStringLiteral("Term"), true},
        {7, QStringLiteral("Budget.ods"), QStringLiteral("Calc"), true},
        {8, QStringLiteral("notes"), QStringLiteral("velarion"), true},  // case matters for apps
        {9, QStringLiteral("my wallpaper"), QStringLiteral("Viewer"), true},
        {10, QStringLiteral("Résumé"), QStringLiteral("Writer"), true},
    };
    struct Case {
        QString query;
        QStringList expected;
    };
    const Case cases[] = {
        {{}, {"Inbox", "Budget.ods", "notes", "my wallpaper", "Résumé"}},
        {QStringLiteral("BUD"), {"Budget.ods"}},
        {QStringLiteral("calc"), {"Budget.ods"}},  // the application's name counts too
        {QStringLiteral("RÉSUM"), {"Résumé"}},
        {QStringLiteral("dock"), {}},
        {QStringLiteral("zzz"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query.toStdString());
        EXPECT_EQ(titles(WindowListController::filteredWindows(windows, c.query)), c.expected);
    }
}

TEST(WindowListControllerTest, EmptyTextSaysWhetherNothingIsOpenOrNothingMatches) {
    RecordingShellActions shell;
    Testbed bed(shell);
    EXPECT_EQ(bed.windows.emptyText(), QStringLiteral("No windows open."));
    ASSERT_TRUE(bed.refreshed());
    EXPECT_EQ(bed.windows.rows().size(), 2);
    EXPECT_EQ(bed.windows.emptyText(), QString());
    bed.windows.setQuery(QStringLiteral("nothing like it"));
    EXPECT_EQ(bed.windows.emptyText(), QStringLiteral("No matches."));
    EXPECT_TRUE(bed.windows.rows().isEmpty());
}

TEST(WindowListControllerTest, ACaptureFailureClearsLive) {
    RecordingShellActions shell;
    Testbed bed(shell);
    bed.driveInstaller(Kind::active);
    bed.backend->failStreamStart = [] {
        throw std::runtime_error("capture refused");
    };
    QSignalSpy live(&bed.windows, &WindowListController::isLiveChanged);
    ASSERT_TRUE(bed.broadcast.start());
    ASSERT_TRUE(bed.settles());
    EXPECT_FALSE(bed.windows.isLive());
    EXPECT_EQ(live.count(), 2);  // on, then off again
}
