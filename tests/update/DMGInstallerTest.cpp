#include "update/Bundle.h"
#include "update/DMGInstaller.h"
#include "update/FileTree.h"

#include "InstallFixture.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using namespace BundleFactory;
using Kind = Entry::Kind;

class DMGInstallerTest : public InstallFixture {};

// The names are what the log line and the stage tool report.
TEST_F(DMGInstallerTest, EachFailureIsNamedAndCleansUp) {
    const QString outside = m_dir.filePath(QStringLiteral("evil"));
    const auto handMade = [&](const char* name, const QList<Entry>& entries) {
        const QString path = m_dir.filePath(QStringLiteral("release/%1.tar.zst").arg(name));
        writeArchive(path, entries);
        return path;
    };
    const QString good = release(QStringLiteral("good"), m_secret);
    const QString unsignedRunning = m_dir.filePath(QStringLiteral("dev/Velarion"));
    makeBundle(unsignedRunning, "1.0");
    // Its staging name is longer than a file name may be: the copy cannot start, for any user.
    const QString longRunning = m_dir.filePath(QStringLiteral("apps/") + QString(250, u'V'));
    ASSERT_TRUE(FileTree::copy(m_running, longRunning).succeeded());

    const struct {
        const char* name;
        QString archive;
        const char* failure;
        QString running;
    } cases[] = {
        {"tampered file",
         release(QStringLiteral("tampered"), m_secret,
                 [](const QString& b) { writeFile(b + "/lib/libvelarion.so.1", "evil"); }),
         "signatureInvalid", m_running},
        {"unsigned", release(QStringLiteral("unsigned"), {}), "signatureInvalid", m_running},
        {"another key", release(QStringLiteral("other"), m_otherSecret), "teamMismatch", m_running},
        // An unsigned development build can never be updated.
        {"unsigned running copy", good, "teamMismatch", unsignedRunning},
        {"no bundle",
         handMade("nobundle", {{Kind::Folder, "Velarion", {}},
                               {Kind::File, "Velarion/README", "no launcher"},
                               {Kind::File, "velarion", "a file"}}),
         "appNotFound", m_running},
        {"dot-dot entry", handMade("dotdot", {{Kind::File, "../../evil", "x"}}), "mountFailed",
         m_running},
        {"staging impossible", good, "stagingFailed", longRunning},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString image = m_tmp + QStringLiteral("/Velarion-Update-X.tar.zst");
        QFile::remove(image);
        ASSERT_TRUE(QFile::copy(c.archive, image));

        try {
            installer(c.running).prepare(image);
            ADD_FAILURE() << "prepared";
        } catch (const DMGInstaller::Error& error) {
            EXPECT_EQ(error.description(), QString::fromLatin1(c.failure));
        }

        EXPECT_FALSE(QFileInfo::exists(Bundle::stagingPath(c.running)));
        EXPECT_FALSE(QFileInfo::exists(outside));
        EXPECT_EQ(readFile(c.running + QStringLiteral("/share/velarion/version")), "1.0");
        // Only the download stays behind: the extraction folder never does.
        EXPECT_EQ(temporaryEntries(), QStringList{QStringLiteral("Velarion-Update-X.tar.zst")});
    }
}

}  // namespace
