#include "core/InstallLayout.h"

#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

}  // namespace

// A build tree keeps every part beside the program; an installed tree under any prefix keeps the
// private parts in lib/velarion.
TEST(InstallLayoutTest, PrivatePartsAreFoundBesideTheProgramOrUnderItsPrefix) {
    struct Case {
        const char* name;
        QStringList files;
        const char* programDir;
        const char* expected;
    };
    const Case cases[] = {
        {"build tree",
         {"build/bin/velarion-camera-extension", "build/bin/velarion"},
         "build/bin",
         "build/bin/velarion-camera-extension"},
        {"under /opt",
         {"opt/velarion/lib/velarion/velarion-camera-extension"},
         "opt/velarion/bin",
         "opt/velarion/lib/velarion/velarion-camera-extension"},
        {"both present",
         {"usr/bin/velarion-camera-extension", "usr/lib/velarion/velarion-camera-extension"},
         "usr/bin",
         "usr/bin/velarion-camera-extension"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir root;
        for (const QString& file : c.files) {
            touch(root.filePath(file));
        }
        QDir().mkpath(root.filePath(QString::fromLatin1(c.programDir)));
        EXPECT_EQ(InstallLayout::privatePart(QStringLiteral("velarion-camera-extension"),
                                             root.filePath(QString::fromLatin1(c.programDir))),
                  root.filePath(QString::fromLatin1(c.expected)));
    }
}
