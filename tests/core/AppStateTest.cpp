#include "core/AppState.h"

#include <QSet>
#include <QSignalSpy>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <unordered_set>

namespace {

ProtectedWindow window(WindowId id, const QString& title) {
    return {id, title, QStringLiteral("App")};
}

}  // namespace

TEST(AppStateTest, ProtectedWindowsAreTheirIdsSoSameIdsInOrderAreStoredSilently) {
    AppState state;
    state.setProtectedWindows({window(7, "Mail"), window(9, "Notes")});
    EXPECT_EQ(state.protectedWindowIDs(), (WindowIdSet{7, 9}));
    QSignalSpy spy(&state, &AppState::protectedWindowsChanged);

    state.setProtectedWindows({window(7, "Mail — Inbox (3)"), window(9, "Notes")});
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(state.protectedWindows().first().title, QStringLiteral("Mail — Inbox (3)"));
    // A window is its id, whatever its titles: both hashes must agree with that equality.
    const ProtectedWindow renamed{7, QStringLiteral("Mail"), QStringLiteral("Other")};
    EXPECT_EQ((QSet<ProtectedWindow>{state.protectedWindows().first(), renamed}).size(), 1);
    EXPECT_EQ(
        (std::unordered_set<ProtectedWindow>{renamed, window(7, "Mail"), window(8, "Mail")}).size(),
        2u);

    state.setProtectedWindows({window(9, "Notes"), window(7, "Mail")});
    EXPECT_EQ(spy.count(), 1) << "same ids in another order";

    state.setProtectedWindows({});
    EXPECT_EQ(spy.count(), 2);
    EXPECT_TRUE(state.protectedWindowIDs().isEmpty());
}
