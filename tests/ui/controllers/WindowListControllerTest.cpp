#include "BroadcastTestbed.h"

#include "support/QtPrinters.h"

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
    };
    struct Case {
        QString query;
        QStringList expected;
    };
    const Case cases[] = {
        {{}, {"Inbox", "Budget.ods", "notes", "my wallpaper"}},
        {QStringLiteral("BUD"), {"Budget.ods"}},
        {QStringLiteral("calc"), {"Budget.ods"}},  // the application's name counts too
        {QStringLiteral("dock"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query.toStdString());
        EXPECT_EQ(titles(WindowListController::filteredWindows(windows, c.query)), c.expected);
    }
}
