#include "settings/CameraSetupPreferences.h"

#include "core/UserDefaults.h"
#include "support/TempDir.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

TEST(CameraSetupPreferencesTest, TheSetUpOpensAtFirstUseAndAfterAResumeRequestOnceEach) {
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("Velarion.conf"));
    {
        UserDefaults defaults(path);
        CameraSetupPreferences window(defaults);
        CameraSetupPreferences other(defaults);
        QSignalSpy seen(&other, &CameraSetupPreferences::hasSeenCameraSetupChanged);
        EXPECT_FALSE(window.hasSeenCameraSetup());
        EXPECT_TRUE(window.takeSetupDue()) << "first use";
        EXPECT_TRUE(other.hasSeenCameraSetup());
        EXPECT_EQ(seen.count(), 1);
        EXPECT_FALSE(window.takeSetupDue()) << "once only";

        QSignalSpy resume(&other, &CameraSetupPreferences::resumeCameraSetupChanged);
        window.resumeAtNextLaunch();
        EXPECT_TRUE(other.resumeCameraSetup());
        EXPECT_EQ(resume.count(), 1);
    }
    // The next launch, on the file alone.
    UserDefaults relaunched(path);
    CameraSetupPreferences window(relaunched);
    EXPECT_TRUE(window.resumeCameraSetup());
    EXPECT_TRUE(window.takeSetupDue()) << "resuming";
    EXPECT_FALSE(window.resumeCameraSetup());
    EXPECT_FALSE(window.takeSetupDue());
}
