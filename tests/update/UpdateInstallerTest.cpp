#include "update/DMGDownloadDelegate.h"
#include "update/UpdateInstaller.h"

#include "InstallFixture.h"
#include "LocalHttpServer.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

// Readable phases in failure messages.
void PrintTo(const UpdateInstaller::Phase& phase, std::ostream* os) {
    static const char* const names[] = {"idle", "downloading", "preparing", "relaunching",
                                        "failed"};
    *os << names[static_cast<int>(phase.kind)] << '(' << phase.fraction << ')';
}

namespace {

using namespace BundleFactory;
using Phase = UpdateInstaller::Phase;

constexpr int kWaitMs = 30'000;

class UpdateInstallerTest : public InstallFixture {
protected:
    void SetUp() override {
        InstallFixture::SetUp();
        // The running process the script waits for is a sleeper the test ends, not the test.
        m_sleeper.start(QStringLiteral("/bin/sleep"), {QStringLiteral("600")});
        ASSERT_TRUE(m_sleeper.waitForStarted());
        m_installer = std::make_unique<UpdateInstaller>(context(m_sleeper.processId()),
                                                        [this] { ++m_terminations; });
    }
    void TearDown() override {
        endSleeper();
        // A started relaunch script now does its work; let it finish before the folder goes.
        if (!QDir(m_tmp).entryList({QStringLiteral("vl-update-*.sh")}).isEmpty()) {
            EXPECT_TRUE(waitForStart(m_running, "2.0"));
        }
    }

    // Kills and reaps it, so `kill -0` stops finding it.
    void endSleeper() {
        m_sleeper.kill();
        m_sleeper.waitForFinished();
    }

    QList<Phase> installFrom(const QString& path, LocalHttpServer::Response response) {
        m_server.serve(path, std::move(response));
        return installFrom(m_server.url(path));
    }

    // Runs an install to its end and returns every phase it went through.
    QList<Phase> installFrom(const QUrl& url) {
        QList<Phase> phases;  // the phase seen at each notification
        const QMetaObject::Connection recording =
            QObject::connect(m_installer.get(), &UpdateInstaller::phaseChanged,
                             [&] { phases.append(m_installer->phase()); });
        m_installer->install(url);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return m_installer->phase() == Phase::relaunching() ||
                       m_installer->phase() == Phase::failed();
            },
            kWaitMs));
        QObject::disconnect(recording);
        return phases;
    }

    LocalHttpServer m_server;
    QProcess m_sleeper;
    std::unique_ptr<UpdateInstaller> m_installer;
    int m_terminations = 0;
};

TEST_F(UpdateInstallerTest, DownloadsVerifiesStagesRelaunchesAndQuits) {
    // A copy left over from an earlier attempt goes first.
    writeFile(m_staged + QStringLiteral("/stale"), "old");
    const QList<Phase> seen =
        installFrom(QStringLiteral("/Velarion-2.0.tar.zst"),
                    {200, readFile(release(QStringLiteral("good"), m_secret)), true, false});

    ASSERT_GE(seen.size(), 4);
    EXPECT_EQ(seen.first(), Phase::downloading(0.0));
    EXPECT_EQ(seen.mid(seen.size() - 3),
              (QList<Phase>{Phase::downloading(1.0), Phase::preparing(), Phase::relaunching()}));
    EXPECT_EQ(m_terminations, 1);
    // The download and the extraction folder are gone, the script for this process waits in the
    // temporary folder, and a verified, writable copy is staged while the old bundle stays.
    const QStringList left = temporaryEntries();
    ASSERT_EQ(left.size(), 1) << qPrintable(left.join(QLatin1Char(',')));
    EXPECT_EQ(readFile(m_staged + QStringLiteral("/share/velarion/version")), "2.0");
    EXPECT_FALSE(QFile::exists(m_staged + QStringLiteral("/stale")));
    EXPECT_TRUE(SignedBundleVerifier().verify(m_staged));
    // The permission bits, not access(): root may write anything.
    EXPECT_TRUE(QFileInfo(m_staged + QStringLiteral("/bin/velarion")).permissions() &
                QFile::WriteOwner);
    EXPECT_EQ(readFile(m_running + QStringLiteral("/share/velarion/version")), "1.0");

    // The "application" ends; the script swaps the bundles and starts the new one.
    endSleeper();
    EXPECT_TRUE(waitForStart(m_running, "2.0"));
    EXPECT_EQ(readFile(m_running + QStringLiteral("/share/velarion/version")), "2.0");
    EXPECT_FALSE(QFile::exists(m_staged));
}

TEST_F(UpdateInstallerTest, EachFailureEndsInFailedWithoutQuitting) {
    const QRegularExpression download(QStringLiteral("^Velarion-Update-.*\\.tar\\.zst$"));
    const struct {
        const char* name;
        QUrl url;
        QStringList left;  // what stays in the temporary folder, in this order of cases
    } cases[] = {
        {"connection refused", LocalHttpServer::refusingURL(QStringLiteral("/u.tar.zst")), {}},
        // The download's HTTP status is not looked at: the page fails as an archive and stays.
        {"error page",
         m_server.url(QStringLiteral("/missing.tar.zst")),
         {QStringLiteral("download")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QSignalSpy failures(m_installer.get(), &UpdateInstaller::installFailed);

        EXPECT_EQ(installFrom(c.url).last(), Phase::failed());

        EXPECT_EQ(failures.count(), 1);
        EXPECT_EQ(m_terminations, 0);
        EXPECT_FALSE(QFile::exists(m_staged));
        QStringList left = temporaryEntries();
        left.replaceInStrings(download, QStringLiteral("download"));
        EXPECT_EQ(left, c.left);
    }
}

// Downloads had no size limit: a server could fill the temporary folder.
TEST(DMGDownloadDelegateTest, BodyOverTheCapFailsWithAnnouncedLengthOrWithout) {
    TempDir dir;
    LocalHttpServer server;
    const struct {
        const char* path;
        LocalHttpServer::Response response;
        bool fits;
    } cases[] = {
        {"/fits", {200, QByteArray(100, 'x'), true, false}, true},
        {"/announced", {200, QByteArray(101, 'x'), true, false}, false},
        {"/unannounced", {200, QByteArray(5000, 'x'), false, false}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        server.serve(QString::fromLatin1(c.path), c.response);
        const QString target = dir.filePath(QStringLiteral("update.tar.zst"));
        QFile::remove(target);
        std::optional<DMGDownloadDelegate::Result> result;
        DMGDownloadDelegate delegate([](double) {}, target, nullptr, 100);
        delegate.run(server.url(QString::fromLatin1(c.path)),
                     [&](const DMGDownloadDelegate::Result& r) { result = r; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, kWaitMs));
        EXPECT_EQ(result->file.has_value(), c.fits) << qPrintable(result->error);
        EXPECT_EQ(result->error.startsWith(QLatin1String("the update is larger than")), !c.fits);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
                  c.fits ? QStringList{QStringLiteral("update.tar.zst")} : QStringList{});
    }
}

}  // namespace
