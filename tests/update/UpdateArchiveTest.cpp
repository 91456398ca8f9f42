#include "update/archive/ArchivePaths.h"
#include "update/archive/TarZstdArchive.h"

#include "BundleFactory.h"
#include "support/TempDir.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using namespace BundleFactory;
using Kind = Entry::Kind;

QStringList treeBelow(const QString& root) {
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        entries.append(QDir(root).relativeFilePath(it.next()));
    }
    entries.sort();
    return entries;
}

TEST(UpdateArchiveTest, RefusesEntriesThatLeaveTheFolderAndWritesNothingOutside) {
    TempDir dir;
    const QString outside = dir.filePath(QStringLiteral("evil"));
    const struct {
        const char* name;
        QList<Entry> entries;
    } cases[] = {
        {"dot-dot", {{Kind::File, "../evil", "x"}}},
        {"dot-dot inside",
         {{Kind::Folder, "Velarion", {}}, {Kind::File, "Velarion/../../evil", "x"}}},
        {"absolute", {{Kind::File, QFile::encodeName(outside), "x"}}},
        {"absolute link", {{Kind::Link, "Velarion", "/etc"}}},
        {"link climbing out", {{Kind::Folder, "V", {}}, {Kind::Link, "V/up", "../../evil"}}},
        {"link climbing after descending",
         {{Kind::Folder, "V", {}}, {Kind::Link, "V/a", "."}, {Kind::Link, "V/b", "a/../.."}}},
        {"write through link", {{Kind::Link, "V", "."}, {Kind::File, "V/../evil", "x"}}},
        {"hard link out", {{Kind::HardLink, "h", "../evil"}}},
        {"hard link absolute", {{Kind::HardLink, "h", "/etc/passwd"}}},
        {"fifo", {{Kind::Fifo, "pipe", {}}}},
    };
    for (const auto& c : cases) {
        const QString archive = dir.filePath(QStringLiteral("hostile.tar.zst"));
        writeArchive(archive, c.entries);
        const QString out = dir.filePath(QStringLiteral("box/out"));
        QDir(dir.filePath(QStringLiteral("box"))).removeRecursively();
        QDir().mkpath(out);

        EXPECT_TRUE(TarZstdArchive().extract(archive, out).failed()) << c.name;
        EXPECT_FALSE(QFileInfo::exists(outside)) << c.name;
        for (const QString& entry : treeBelow(dir.filePath(QStringLiteral("box")))) {
            EXPECT_TRUE(entry == QLatin1String("out") || entry.startsWith(QLatin1String("out/")))
                << c.name << ": " << qPrintable(entry);
        }
    }
}

// Extraction had no bounds: a small compressed download could expand to fill the disk.
TEST(UpdateArchiveTest, StopsAtTheSizeAndEntryCapsBeforeWritingTheEntryThatCrossesThem) {
    TempDir dir;
    const TarZstdArchive capped({.maxTotalBytes = 10, .maxEntries = 3});
    const struct {
        const char* name;
        QList<Entry> entries;
        const char* refusal;  // nullptr when the archive fits
        QStringList written;
    } cases[] = {
        {"fits", {{Kind::File, "a", "1234"}, {Kind::File, "b", "123456"}}, nullptr, {"a", "b"}},
        {"too large", {{Kind::File, "a", "123456"}, {Kind::File, "b", "12345"}}, "exceed", {"a"}},
        {"too many",
         {{Kind::Folder, "V", {}},
          {Kind::File, "V/a", {}},
          {Kind::File, "V/b", {}},
          {Kind::File, "V/c", {}}},
         "more than 3 entries",
         {"V", "V/a", "V/b"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString archive = dir.filePath(QStringLiteral("big.tar.zst"));
        writeArchive(archive, c.entries);
        const QString out = dir.filePath(QStringLiteral("out"));
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        const Outcome extracted = capped.extract(archive, out);
        EXPECT_EQ(extracted.failed(), c.refusal != nullptr);
        if (c.refusal) {
            EXPECT_TRUE(extracted.error().contains(QLatin1String(c.refusal)))
                << qPrintable(extracted.error());
        }
        EXPECT_EQ(treeBelow(out), c.written);
    }
}

TEST(UpdateArchiveTest, LinkRuleAllowsOnlyLeadingClimbsWithinDepth) {
    const struct {
        const char* link;
        const char* target;
        bool inside;
    } cases[] = {
        {"V/bin/tool", "../lib/tool", true},
        {"V/a/b/c", "../../x", true},
        {"V/a/b/c", "./../.././x", true},
        {"V/x", "", false},
        {"V/x", "y/../z", false},  // strict: no climb after a descent at all
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ArchivePaths::linkStaysInside(QString::fromLatin1(c.link),
                                                QString::fromLatin1(c.target)),
                  c.inside)
            << c.link << " -> " << c.target;
    }
    EXPECT_EQ(ArchivePaths::safeRelative(QStringLiteral("./V//bin/./x")),
              QStringLiteral("V/bin/x"));
    EXPECT_EQ(ArchivePaths::safeRelative(QStringLiteral("./")), std::nullopt);
    EXPECT_EQ(ArchivePaths::safeRelative(QStringLiteral("V/..")), std::nullopt);
}

}  // namespace
