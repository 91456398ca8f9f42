#include "update/DMGInstaller.h"
#include "update/FileTree.h"

#include "InstallFixture.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using namespace BundleFactory;
using Failure = DMGInstaller::Failure;

std::optional<Failure> failureOf(const DMGInstaller& installer, const QString& image) {
    try {
        installer.prepare(image);
    } catch (const DMGInstaller::Error& error) {
        return error.failure();
    }
    return std::nullopt;
}

class DMGInstallerTest : public InstallFixture {};

TEST_F(DMGInstallerTest, PrepareStagesAVerifiedCopyBesideTheRunningBundle) {
    const QString archive = release(QStringLiteral("good"), "2.0", m_secret);
    const QString image = m_tmp + QStringLiteral("/Velarion-Update-X.tar.zst");
    ASSERT_TRUE(QFile::copy(archive, image));
    // A copy left over from an earlier attempt goes first.
    writeFile(m_staged + QStringLiteral("/stale"), "old");

    const DMGInstaller::Plan plan = installer().prepare(image);

    EXPECT_EQ(plan.target, m_running);
    EXPECT_EQ(plan.staged, m_staged);
    EXPECT_EQ(readFile(m_staged + QStringLiteral("/share/velarion/version")), "2.0");
    EXPECT_FALSE(QFile::exists(m_staged + QStringLiteral("/stale")));
    EXPECT_TRUE(SignedBundleVerifier().verify(m_staged));
    EXPECT_TRUE(QFileInfo(m_staged + QStringLiteral("/bin/velarion")).isWritable());
    EXPECT_EQ(readFile(m_running + QStringLiteral("/share/velarion/version")), "1.0");
    // The extraction folder is gone and so is the download.
    EXPECT_EQ(temporaryEntries(), QStringList());
}

TEST_F(DMGInstallerTest, EachFailureIsNamedAndCleansUp) {
    const QString outside = m_dir.filePath(QStringLiteral("evil"));
    const struct {
        const char* name;
        QString archive;
        Failure failure;
    } cases[] = {
        {"tampered file",
         release(QStringLiteral("tampered"), "2.0", m_secret,
                 [](const QString& b) { writeFile(b + "/lib/libvelarion.so.1", "evil"); }),
         Failure::signatureInvalid},
        {"unsigned", release(QStringLiteral("unsigned"), "2.0", QString()),
         Failure::signatureInvalid},
        {"another key", release(QStringLiteral("other"), "2.0", m_otherSecret),
         Failure::teamMismatch},
        {"no bundle",
         [&] {
             const QString path = m_dir.filePath(QStringLiteral("release/nobundle.tar.zst"));
             writeArchive(path, {{Entry::Kind::Folder, "Velarion", {}},
                                 {Entry::Kind::File, "Velarion/README", "no launcher"},
                                 {Entry::Kind::File, "velarion", "a file"}});
             return path;
         }(),
         Failure::appNotFound},
        {"dot-dot entry",
         [&] {
             const QString path = m_dir.filePath(QStringLiteral("release/dotdot.tar.zst"));
             writeArchive(path, {{Entry::Kind::File, "../../evil", "x"}});
             return path;
         }(),
         Failure::mountFailed},
        {"absolute entry",
         [&] {
             const QString path = m_dir.filePath(QStringLiteral("release/absolute.tar.zst"));
             writeArchive(path, {{Entry::Kind::File, QFile::encodeName(outside), "x"}});
             return path;
         }(),
         Failure::mountFailed},
        {"link out",
         [&] {
             const QString path = m_dir.filePath(QStringLiteral("release/link.tar.zst"));
             writeArchive(path, {{Entry::Kind::Link, "Velarion", QFile::encodeName(m_dir.path())}});
             return path;
         }(),
         Failure::mountFailed},
        {"error page",
         [&] {
             const QString path = m_dir.filePath(QStringLiteral("release/page.tar.zst"));
             writeFile(path, "<html>Not Found</html>");
             return path;
         }(),
         Failure::mountFailed},
    };
    for (const auto& c : cases) {
        const QString image = m_tmp + QStringLiteral("/Velarion-Update-X.tar.zst");
        QFile::remove(image);
        ASSERT_TRUE(QFile::copy(c.archive, image)) << c.name;

        EXPECT_EQ(failureOf(installer(), image), c.failure) << c.name;

        EXPECT_FALSE(QFileInfo::exists(m_staged)) << c.name;
        EXPECT_FALSE(QFileInfo::exists(outside)) << c.name;
        EXPECT_EQ(readFile(m_running + QStringLiteral("/share/velarion/version")), "1.0");
        // Only the download stays behind: the extraction folder never does.
        EXPECT_EQ(temporaryEntries(), QStringList{QStringLiteral("Velarion-Update-X.tar.zst")})
            << c.name;
    }
}

TEST_F(DMGInstallerTest, UnsignedRunningCopyCanNeverBeUpdated) {
    QFile::remove(m_running + QStringLiteral("/.velarion-signature"));
    const QString archive = release(QStringLiteral("good"), "2.0", m_secret);
    EXPECT_EQ(failureOf(installer(), archive), Failure::teamMismatch);
}

TEST_F(DMGInstallerTest, FindAppTakesTheBundleAndSkipsLinksAndPlainFolders) {
    const QString archive = m_dir.filePath(QStringLiteral("release/mixed.tar.zst"));
    writeArchive(archive, {{Entry::Kind::Folder, "Docs", {}},
                           {Entry::Kind::File, "Docs/README", "read me"},
                           {Entry::Kind::Link, "Shortcut", "Velarion"},
                           {Entry::Kind::Folder, "Velarion", {}},
                           {Entry::Kind::Folder, "Velarion/bin", {}},
                           {Entry::Kind::File, "Velarion/bin/velarion", "#!/bin/sh\n"}});
    const DMGInstaller subject = installer();
    const QString mountPoint = subject.mount(archive);
    EXPECT_EQ(subject.findApp(mountPoint), mountPoint + QStringLiteral("/Velarion"));
    // "Mounted" read-only.
    EXPECT_FALSE(QFileInfo(mountPoint + QStringLiteral("/Velarion/bin/velarion")).permissions() &
                 QFile::WriteOwner);
    subject.detach(mountPoint);
    EXPECT_FALSE(QFileInfo::exists(mountPoint));
}

TEST_F(DMGInstallerTest, StagingFailureLeavesNoPartialCopy) {
    const QString archive = release(QStringLiteral("good"), "2.0", m_secret);
    // A staging name longer than a file name may be: the copy cannot even start, for any user.
    const QString longName = QString(250, QLatin1Char('V'));
    const QString running = m_dir.filePath(QStringLiteral("apps/") + longName);
    ASSERT_TRUE(FileTree::copy(m_running, running) == std::nullopt);
    DMGInstaller::Context longContext = context();
    longContext.runningBundle = running;
    const DMGInstaller subject(longContext, std::make_shared<SignedBundleVerifier>(),
                               std::make_shared<TarZstdArchive>());
    EXPECT_EQ(failureOf(subject, archive), Failure::stagingFailed);
    EXPECT_EQ(temporaryEntries(), QStringList());
    EXPECT_TRUE(QFileInfo::exists(archive));
}

TEST_F(DMGInstallerTest, DownloadNamesCarryAnUpperCaseUuid) {
    const QString first = QFileInfo(installer().newImagePath()).fileName();
    const QString second = QFileInfo(installer().newImagePath()).fileName();
    const QRegularExpression pattern(
        QStringLiteral("^Velarion-Update-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{"
                       "12}\\.tar\\.zst$"));
    EXPECT_TRUE(pattern.match(first).hasMatch()) << qPrintable(first);
    EXPECT_NE(first, second);
    EXPECT_EQ(QFileInfo(installer().newImagePath()).path(), m_tmp);
}

}  // namespace
