#include "update/UpdateInstaller.h"

#include "InstallFixture.h"
#include "LocalHttpServer.h"

#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace BundleFactory;
using Phase = UpdateInstaller::Phase;

}  // namespace

// Readable phases in failure messages.
void PrintTo(const UpdateInstaller::Phase& phase, std::ostream* os) {
    static const char* const names[] = {"idle", "downloading", "preparing", "relaunching",
                                        "failed"};
    *os << names[static_cast<int>(phase.kind)];
    if (phase.kind == UpdateInstaller::Phase::Case::downloading) {
        *os << '(' << phase.fraction << ')';
    }
}

namespace {

constexpr int kWaitMs = 30'000;

// Collects the critical log lines written while it exists.
class LogCapture {
public:
    LogCapture() {
        s_lines.clear();
        m_previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    QStringList lines() const {
        QMutexLocker lock(&s_mutex);
        return s_lines;
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtCriticalMsg) {
            QMutexLocker lock(&s_mutex);
            s_lines.append(QString::fromLatin1(context.category) + QLatin1Char('|') + text);
        }
    }
    static inline QMutex s_mutex;
    static inline QStringList s_lines;
    QtMessageHandler m_previous = nullptr;
};

class UpdateInstallerTest : public InstallFixture {
protected:
    void SetUp() override {
        InstallFixture::SetUp();
        m_sleeper.start(QStringLiteral("/bin/sleep"), {QStringLiteral("600")});
        ASSERT_TRUE(m_sleeper.waitForStarted());
    }
    void TearDown() override {
        m_sleeper.kill();
        m_sleeper.waitForFinished();
        // A started relaunch script now does its work; let it finish before the folder goes.
        if (!QDir(m_tmp).entryList({QStringLiteral("vl-update-*.sh")}).isEmpty()) {
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return QFile::exists(m_running + QStringLiteral("/started")); }, kWaitMs));
        }
    }

    std::unique_ptr<UpdateInstaller> makeInstaller() {
        // The running process the script waits for is a sleeper the test ends, not the test.
        return std::make_unique<UpdateInstaller>(context(m_sleeper.processId()),
                                                 [this] { ++m_terminations; });
    }

    void serveFile(const QString& path, const QString& file, bool withLength = true) {
        m_server.serve(path, {200, readFile(file), withLength, false});
    }

    static QList<Phase> phasesOf(const QSignalSpy& spy) {
        QList<Phase> phases;
        for (const QList<QVariant>& arguments : spy) {
            phases.append(arguments[0].value<Phase>());
        }
        return phases;
    }

    static bool waitForEnd(UpdateInstaller& installer) {
        return QTest::qWaitFor(
            [&] {
                return installer.phase() == Phase::relaunching() ||
                       installer.phase() == Phase::failed();
            },
            kWaitMs);
    }

    LocalHttpServer m_server;
    QProcess m_sleeper;
    int m_terminations = 0;
};

TEST_F(UpdateInstallerTest, DownloadsVerifiesStagesRelaunchesAndQuits) {
    serveFile(QStringLiteral("/Velarion-2.0.tar.zst"),
              release(QStringLiteral("good"), "2.0", m_secret));
    auto installer = makeInstaller();
    QSignalSpy phases(installer.get(), &UpdateInstaller::phaseChanged);

    installer->install(m_server.url(QStringLiteral("/Velarion-2.0.tar.zst")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_terminations > 0; }, kWaitMs));

    const QList<Phase> seen = phasesOf(phases);
    ASSERT_GE(seen.size(), 3);
    EXPECT_EQ(seen.first(), Phase::downloading(0.0));
    EXPECT_EQ(seen[seen.size() - 2], Phase::preparing());
    EXPECT_EQ(seen.last(), Phase::relaunching());
    EXPECT_EQ(seen[seen.size() - 3], Phase::downloading(1.0));
    EXPECT_EQ(m_terminations, 1);
    // The download is gone, the script waits in the temporary folder, the copy is staged.
    const QStringList left = temporaryEntries();
    ASSERT_EQ(left.size(), 1) << qPrintable(left.join(QLatin1Char(',')));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^vl-update-[0-9A-F-]{36}\\.sh$"))
                    .match(left[0])
                    .hasMatch());
    EXPECT_EQ(readFile(m_staged + QStringLiteral("/share/velarion/version")), "2.0");

    // The "application" ends; the script swaps the bundles and starts the new one.
    m_sleeper.kill();
    m_sleeper.waitForFinished();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return QFile::exists(m_running + QStringLiteral("/started")); }, kWaitMs));
    EXPECT_EQ(readFile(m_running + QStringLiteral("/share/velarion/version")), "2.0");
    EXPECT_FALSE(QFile::exists(m_staged));
}

TEST_F(UpdateInstallerTest, NoProgressIsReportedWithoutAContentLength) {
    serveFile(QStringLiteral("/u.tar.zst"), release(QStringLiteral("good"), "2.0", m_secret),
              /*withLength=*/false);
    auto installer = makeInstaller();
    QSignalSpy phases(installer.get(), &UpdateInstaller::phaseChanged);

    installer->install(m_server.url(QStringLiteral("/u.tar.zst")));
    ASSERT_TRUE(waitForEnd(*installer));

    EXPECT_EQ(phasesOf(phases),
              (QList<Phase>{Phase::downloading(0.0), Phase::preparing(), Phase::relaunching()}));
}

TEST_F(UpdateInstallerTest, ProgressIsClampedAndDroppedOutsideDownloading) {
    auto installer = makeInstaller();
    installer->reportProgress(0.5);
    EXPECT_EQ(installer->phase(), Phase::idle());

    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    installer->install(QUrl(QStringLiteral("http://127.0.0.1:%1/u.tar.zst").arg(port)));
    installer->reportProgress(1.2);
    EXPECT_EQ(installer->phase(), Phase::downloading(1.0));
    installer->reportProgress(-0.1);
    EXPECT_EQ(installer->phase(), Phase::downloading(0.0));
    installer->reportProgress(0.25);
    EXPECT_EQ(installer->phase(), Phase::downloading(0.25));

    ASSERT_TRUE(waitForEnd(*installer));
    EXPECT_EQ(installer->phase(), Phase::failed());
    installer->reportProgress(0.5);
    EXPECT_EQ(installer->phase(), Phase::failed());
}

TEST_F(UpdateInstallerTest, EachFailureIsLoggedAndEndsInFailedWithoutQuitting) {
    const struct {
        const char* name;
        LocalHttpServer::Response response;
        const char* logged;  // a regular expression for what follows the prefix
    } cases[] = {
        // The download's HTTP status is not looked at: the page fails as an archive.
        {"error page", {404, "<html>Not Found</html>", true, false}, "^mountFailed$"},
        {"tampered",
         {200,
          readFile(
              release(QStringLiteral("t"), "2.0", m_secret,
                      [](const QString& b) { writeFile(b + "/share/velarion/version", "9"); })),
          true, false},
         "^signatureInvalid$"},
        {"another maker",
         {200, readFile(release(QStringLiteral("o"), "2.0", m_otherSecret)), true, false},
         "^teamMismatch$"},
    };
    for (const auto& c : cases) {
        const QString path = QStringLiteral("/") + QString::fromLatin1(c.name).replace(' ', '-');
        m_server.serve(path, c.response);
        auto installer = makeInstaller();
        QSignalSpy failures(installer.get(), &UpdateInstaller::installFailed);
        LogCapture log;

        installer->install(m_server.url(path));
        ASSERT_TRUE(waitForEnd(*installer)) << c.name;
        EXPECT_EQ(installer->phase(), Phase::failed()) << c.name;
        ASSERT_EQ(log.lines().size(), 1) << c.name;
        const QString line = log.lines()[0];
        const QString prefix = QStringLiteral(
            "com.orvandel.Velarion.UpdateInstaller|[UpdateInstaller] install failed: ");
        ASSERT_TRUE(line.startsWith(prefix)) << qPrintable(line);
        EXPECT_TRUE(QRegularExpression(QString::fromLatin1(c.logged))
                        .match(line.mid(prefix.size()))
                        .hasMatch())
            << qPrintable(line);
        EXPECT_EQ(failures.count(), 1);
        EXPECT_EQ(m_terminations, 0) << c.name;
        EXPECT_FALSE(QFile::exists(m_staged)) << c.name;
    }
}

TEST_F(UpdateInstallerTest, NetworkErrorIsLoggedWithItsDescription) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    auto installer = makeInstaller();
    LogCapture log;

    installer->install(QUrl(QStringLiteral("http://127.0.0.1:%1/u.tar.zst").arg(port)));
    ASSERT_TRUE(waitForEnd(*installer));

    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines()[0].contains(QStringLiteral("install failed: Connection refused")))
        << qPrintable(log.lines()[0]);
    // Nothing downloaded, nothing left: the partial file went with the error.
    EXPECT_EQ(temporaryEntries(), QStringList());
}

}  // namespace
