#include "core/AppState.h"

#include <QSignalSpy>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

ProtectedWindow window(WindowId id, const QString& title) {
    return {id, title, QStringLiteral("App")};
}

using Setter = void (AppState::*)(bool);
using Getter = bool (AppState::*)() const;
using Signal = void (AppState::*)();

struct FlagCase {
    const char* name;
    Setter set;
    Getter get;
    Signal changed;
};

const FlagCase kFlags[] = {
    {"isDesktopShieldActive", &AppState::setDesktopShieldActive, &AppState::isDesktopShieldActive,
     &AppState::isDesktopShieldActiveChanged},
    {"isNotificationGuardActive", &AppState::setNotificationGuardActive,
     &AppState::isNotificationGuardActive, &AppState::isNotificationGuardActiveChanged},
    {"isOCRMaskingActive", &AppState::setOCRMaskingActive, &AppState::isOCRMaskingActive,
     &AppState::isOCRMaskingActiveChanged},
    {"isPresentationMode", &AppState::setPresentationMode, &AppState::isPresentationMode,
     &AppState::isPresentationModeChanged},
    {"isVirtualCameraActive", &AppState::setVirtualCameraActive, &AppState::isVirtualCameraActive,
     &AppState::isVirtualCameraActiveChanged},
};

}  // namespace

TEST(AppStateTest, StartsWithEverythingOffAndEmpty) {
    const AppState state;
    for (const FlagCase& flag : kFlags) {
        EXPECT_FALSE((state.*flag.get)()) << flag.name;
    }
    EXPECT_TRUE(state.protectedWindows().isEmpty());
    EXPECT_TRUE(state.detectedSensitiveRegions().isEmpty());
    EXPECT_TRUE(state.protectedWindowIDs().isEmpty());
}

TEST(AppStateTest, FlagNotifiesOnlyWhenItsValueChangesAndLeavesOtherFlagsAlone) {
    for (const FlagCase& flag : kFlags) {
        AppState state;
        QSignalSpy spy(&state, flag.changed);

        (state.*flag.set)(false);
        EXPECT_EQ(spy.count(), 0) << flag.name << ": false written over false";
        (state.*flag.set)(true);
        EXPECT_EQ(spy.count(), 1) << flag.name;
        EXPECT_TRUE((state.*flag.get)()) << flag.name;
        (state.*flag.set)(true);
        EXPECT_EQ(spy.count(), 1) << flag.name << ": true written over true";
        (state.*flag.set)(false);
        EXPECT_EQ(spy.count(), 2) << flag.name;

        for (const FlagCase& other : kFlags) {
            if (other.set != flag.set) {
                EXPECT_FALSE((state.*other.get)()) << flag.name << " changed " << other.name;
            }
        }
    }
}

TEST(AppStateTest, ProtectedWindowsWithSameIdsInOrderAreStoredSilently) {
    AppState state;
    state.setProtectedWindows({window(7, "Mail"), window(9, "Notes")});
    QSignalSpy spy(&state, &AppState::protectedWindowsChanged);

    state.setProtectedWindows({window(7, "Mail — Inbox (3)"), window(9, "Notes")});
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(state.protectedWindows().first().title, QStringLiteral("Mail — Inbox (3)"));

    const QList<ProtectedWindow> same = state.protectedWindows();
    state.setProtectedWindows(same);
    EXPECT_EQ(spy.count(), 0) << "the very same list storage";

    state.setProtectedWindows({window(9, "Notes"), window(7, "Mail")});
    EXPECT_EQ(spy.count(), 1) << "same ids in another order";

    state.setProtectedWindows({window(9, "Notes")});
    EXPECT_EQ(spy.count(), 2) << "fewer entries";

    state.setProtectedWindows({});
    EXPECT_EQ(spy.count(), 3);
    state.setProtectedWindows({});
    EXPECT_EQ(spy.count(), 3) << "empty over empty";
}

TEST(AppStateTest, ProtectedWindowIDsIsTheSetOfIds) {
    AppState state;
    state.setProtectedWindows({window(7, "A"), window(9, "B")});
    EXPECT_EQ(state.protectedWindowIDs(), (WindowIdSet{7, 9}));
    state.setProtectedWindows({window(0xFFFFFFFFu, "C")});
    EXPECT_EQ(state.protectedWindowIDs(), (WindowIdSet{0xFFFFFFFFu}));
}

TEST(AppStateTest, DetectedRegionsNotifyOnEveryWrite) {
    AppState state;
    QSignalSpy spy(&state, &AppState::detectedSensitiveRegionsChanged);
    const SensitiveRegion region{QUuid::createUuid(), QRectF(1, 2, 3, 4), SensitiveDataKind::ssn,
                                 QStringLiteral("123-45-6789")};
    state.setDetectedSensitiveRegions({region});
    state.setDetectedSensitiveRegions({});
    state.setDetectedSensitiveRegions({});
    EXPECT_EQ(spy.count(), 3);
}

TEST(AppStateTest, PropertiesAreReachableThroughTheMetaObject) {
    AppState state;
    QSignalSpy spy(&state, &AppState::isOCRMaskingActiveChanged);
    EXPECT_TRUE(state.setProperty("isOCRMaskingActive", true));
    EXPECT_TRUE(state.isOCRMaskingActive());
    EXPECT_EQ(spy.count(), 1);
    EXPECT_TRUE(state.setProperty("isOCRMaskingActive", true));
    EXPECT_EQ(spy.count(), 1);
}
