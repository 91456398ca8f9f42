#include "update/UpdateSource.h"

#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

constexpr QFile::Permissions kReadOnly =
    QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup;
constexpr QFile::Permissions kWritable = kReadOnly | QFile::WriteOwner;

}  // namespace

// The update is staged beside the copy and moved onto it: both folders must be ours to write, and
// a copy a package installed belongs to the package manager even where we could write (root).
TEST(UpdateSourceTest, OnlyAWritableCopyNoPackageListsUpdatesItself) {
    struct Case {
        const char* name;
        bool bundleWritable;
        bool parentWritable;
        const char* packageList;  // file name in the package database, or null
        UpdateSource::Kind expected;
    };
    const Case cases[] = {
        {"home folder", true, true, nullptr, UpdateSource::Kind::selfUpdate},
        {"read-only copy", false, true, nullptr, UpdateSource::Kind::packageManager},
        {"read-only parent", true, false, nullptr, UpdateSource::Kind::packageManager},
        {"installed by the package", true, true, "velarion.list",
         UpdateSource::Kind::packageManager},
        {"multi-arch list name", true, true, "velarion:amd64.list",
         UpdateSource::Kind::packageManager},
        {"another package's list", true, true, "velarion-tools.list",
         UpdateSource::Kind::selfUpdate},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir root;
        const QString parent = root.filePath(QStringLiteral("apps"));
        const QString bundle = parent + QStringLiteral("/velarion");
        ASSERT_TRUE(QDir().mkpath(bundle + QStringLiteral("/bin")));
        QFile launcher(bundle + QStringLiteral("/bin/velarion"));
        ASSERT_TRUE(launcher.open(QIODevice::WriteOnly));
        launcher.close();
        const QString database = root.filePath(QStringLiteral("dpkg"));
        ASSERT_TRUE(QDir().mkpath(database));
        if (c.packageList) {
            QFile list(database + QLatin1Char('/') + QString::fromLatin1(c.packageList));
            ASSERT_TRUE(list.open(QIODevice::WriteOnly));
            list.write(QFile::encodeName(parent + QStringLiteral("\n") + bundle +
                                         QStringLiteral("/bin/velarion\n")));
        }
        QFile::setPermissions(bundle, c.bundleWritable ? kWritable : kReadOnly);
        QFile::setPermissions(parent, c.parentWritable ? kWritable : kReadOnly);
        EXPECT_EQ(UpdateSource::forBundle(bundle, database), c.expected);
        // The temporary folder must be removable again.
        QFile::setPermissions(bundle, kWritable);
        QFile::setPermissions(parent, kWritable);
    }
}
