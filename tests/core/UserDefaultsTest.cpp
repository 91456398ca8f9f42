#include "core/Preferences.h"
#include "core/UserDefaults.h"

#include "support/TempDir.h"

#include <QFile>

#include <gtest/gtest.h>

TEST(UserDefaultsTest, RegisteredDefaultsAreNeverWrittenAndAStoredValueWinsAfterARestart) {
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("Velarion.conf"));
    {
        UserDefaults defaults(path);
        Preferences::registerDefaults(defaults);
        defaults.sync();
        QFile file(path);
        EXPECT_TRUE(!file.exists() ||
                    (file.open(QIODevice::ReadOnly) && file.readAll().trimmed().isEmpty()));

        defaults.setValue(Preferences::kBlurRadius, 35.0);
        // A one-item list must read back as a list, not as its one string.
        defaults.setValue(QStringLiteral("AppleLanguages"), QStringList{QStringLiteral("ar")});
    }
    UserDefaults relaunched(path);
    Preferences::registerDefaults(relaunched);
    EXPECT_DOUBLE_EQ(relaunched.doubleValue(Preferences::kBlurRadius), 35.0);
    EXPECT_DOUBLE_EQ(relaunched.doubleValue(Preferences::kOcrScanInterval), 5.0);
    EXPECT_EQ(relaunched.stringListValue(QStringLiteral("AppleLanguages")),
              QStringList{QStringLiteral("ar")});
}

TEST(UserDefaultsTest, StoredTextReadsStrictlySoAWrongTypeGivesTheRegisteredDefault) {
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("Velarion.conf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "[General]\n"
        "blurRadius=abc\n"
        "ocrScanInterval=\n"
        "launchAtLogin=maybe\n"
        "panicKeyCode=4.5x\n"
        "AppleLanguages=ar, fr\n"
        "a=12.5\n"
        "d=4294967295\n"
        "e=inf\n");
    file.close();
    UserDefaults defaults(path);
    Preferences::registerDefaults(defaults);
    defaults.registerDefaults({{QStringLiteral("panicKeyCode"), 4}});

    EXPECT_DOUBLE_EQ(defaults.doubleValue(Preferences::kBlurRadius), 20.0);
    EXPECT_DOUBLE_EQ(defaults.doubleValue(Preferences::kOcrScanInterval), 5.0);
    EXPECT_FALSE(defaults.boolValue(Preferences::kLaunchAtLogin));
    EXPECT_EQ(defaults.intValue(QStringLiteral("panicKeyCode")), 4);
    EXPECT_FALSE(defaults.storedInt(QStringLiteral("panicKeyCode")).has_value());
    EXPECT_FALSE(defaults.storedString(QStringLiteral("AppleLanguages")).has_value())
        << "a list is not a string";

    // Textual forms of the right type are accepted.
    EXPECT_EQ(defaults.storedDouble(QStringLiteral("a")), 12.5);
    EXPECT_EQ(defaults.storedInt(QStringLiteral("d")), 4294967295LL);
    EXPECT_FALSE(defaults.storedDouble(QStringLiteral("e")).has_value()) << "not a finite number";
    EXPECT_FALSE(defaults.storedInt(QStringLiteral("a")).has_value()) << "not an integer";

    defaults.setValue(Preferences::kOcrScanInterval, 12.0);
    EXPECT_DOUBLE_EQ(defaults.doubleValue(Preferences::kOcrScanInterval), 12.0);
    defaults.remove(Preferences::kOcrScanInterval);
    EXPECT_DOUBLE_EQ(defaults.doubleValue(Preferences::kOcrScanInterval), 5.0);
}

// Registrations once lived in the instance they were made on: the localization manager's own store
// read every registered default as absent.
TEST(UserDefaultsTest, RegistrationIsSeenByEveryStoreOnTheSameFileOnly) {
    TempDir dir;
    UserDefaults registered(dir.filePath(QStringLiteral("Velarion.conf")));
    UserDefaults second(dir.filePath(QStringLiteral("Velarion.conf")));
    UserDefaults other(dir.filePath(QStringLiteral("Other.conf")));
    Preferences::registerDefaults(registered);
    EXPECT_DOUBLE_EQ(second.doubleValue(Preferences::kBlurRadius), 20.0);
    EXPECT_DOUBLE_EQ(other.doubleValue(Preferences::kBlurRadius), 0.0);
}
