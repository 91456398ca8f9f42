#include "core/AppState.h"

#include <QMetaProperty>
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

// Through the meta-object, as views bind to them: the WRITE of each is its setter.
TEST(AppStateTest, FlagsStartOffAndNotifyOnlyWhenTheirOwnValueChanges) {
    const QMetaObject& meta = AppState::staticMetaObject;
    const char* const flags[] = {"isDesktopShieldActive", "isNotificationGuardActive",
                                 "isOCRMaskingActive", "isPresentationMode",
                                 "isVirtualCameraActive"};
    for (const char* name : flags) {
        SCOPED_TRACE(name);
        const QMetaProperty flag = meta.property(meta.indexOfProperty(name));
        ASSERT_TRUE(flag.isWritable() && flag.hasNotifySignal());
        AppState state;
        QSignalSpy spy(&state, flag.notifySignal());

        flag.write(&state, false);
        EXPECT_EQ(spy.count(), 0) << "false written over false";
        flag.write(&state, true);
        EXPECT_EQ(spy.count(), 1);
        flag.write(&state, true);
        EXPECT_EQ(spy.count(), 1) << "true written over true";
        for (const char* other : flags) {
            EXPECT_EQ(state.property(other).toBool(), qstrcmp(other, name) == 0) << other;
        }
        flag.write(&state, false);
        EXPECT_EQ(spy.count(), 2);
    }
}

TEST(AppStateTest, ProtectedWindowsWithSameIdsInOrderAreStoredSilently) {
    AppState state;
    EXPECT_TRUE(state.protectedWindows().isEmpty());
    state.setProtectedWindows({window(7, "Mail"), window(9, "Notes")});
    EXPECT_EQ(state.protectedWindowIDs(), (WindowIdSet{7, 9}));
    QSignalSpy spy(&state, &AppState::protectedWindowsChanged);

    state.setProtectedWindows({window(7, "Mail — Inbox (3)"), window(9, "Notes")});
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(state.protectedWindows().first().title, QStringLiteral("Mail — Inbox (3)"));

    const QList<ProtectedWindow> same = state.protectedWindows();
    state.setProtectedWindows(same);
    EXPECT_EQ(spy.count(), 0) << "the very same list storage";

    state.setProtectedWindows({window(9, "Notes"), window(7, "Mail")});
    EXPECT_EQ(spy.count(), 1) << "same ids in another order";

    state.setProtectedWindows({window(0xFFFFFFFFu, "C")});
    EXPECT_EQ(spy.count(), 2) << "fewer entries";
    EXPECT_EQ(state.protectedWindowIDs(), (WindowIdSet{0xFFFFFFFFu}));

    state.setProtectedWindows({});
    state.setProtectedWindows({});
    EXPECT_EQ(spy.count(), 3) << "empty over empty";
    EXPECT_TRUE(state.protectedWindowIDs().isEmpty());
}

TEST(AppStateTest, ProtectedWindowsWithTheSameIdAreOneWhateverTheirTitles) {
    const ProtectedWindow a{42, QStringLiteral("Mail"), QStringLiteral("Thunderbird")};
    const ProtectedWindow b{42, QStringLiteral("Mail — Inbox"), QStringLiteral("Other")};
    const ProtectedWindow c{43, QStringLiteral("Mail"), QStringLiteral("Thunderbird")};
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    // Both hashes must agree with the equality.
    EXPECT_EQ((QSet<ProtectedWindow>{a, b}).size(), 1);
    EXPECT_EQ((std::unordered_set<ProtectedWindow>{a, b, c}).size(), 2u);
}
