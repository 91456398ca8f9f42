// Test entry point: a QApplication on the offscreen platform (unless a test run asks for a real
// X server through QT_QPA_PLATFORM) with the user's own preferences and config out of reach.

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char* argv[]) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/0);
    // Texts are checked in English whatever the developer's desktop language is.
    ::setenv("LANGUAGE", "en", 1);
    QTemporaryDir home;
    ::setenv("XDG_CONFIG_HOME", qPrintable(home.filePath(QStringLiteral("config"))), 1);
    ::setenv("XDG_DATA_HOME", qPrintable(home.filePath(QStringLiteral("data"))), 1);
    ::setenv("XDG_CACHE_HOME", qPrintable(home.filePath(QStringLiteral("cache"))), 1);
    QStandardPaths::setTestModeEnabled(true);

    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
