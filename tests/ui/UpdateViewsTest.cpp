#include "LocalHttpServer.h"
#include "SettingsBench.h"

#include "support/QtPrinters.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QByteArray feed(const char* version, const QUrl& download, const char* notes) {
    return QByteArray("{\"version\":\"") + version + "\",\"url\":\"" + download.toEncoded() +
           "\",\"notes\":\"" + notes + "\"}";
}

// Runs one check against `bench`'s feed and waits until its outcome is written.
bool checkOnce(SettingsBench& bench) {
    QSignalSpy finished(&bench.checker, &UpdateChecker::checkFinished);
    bench.updates.check();
    return finished.wait(20'000);
}

}  // namespace

TEST(UpdateViewsTest, SettingsRowFollowsTheStatesOfTheCheck) {
    struct Case {
        const char* name;
        LocalHttpServer::Response response;
        bool waitForOutcome;
        QString subtitle;
        const char* control;
    };
    const Case cases[] = {
        {"checking", {200, {}, true, true}, false, QStringLiteral("Checking…"), "checkingSpinner"},
        {"failed",
         {500, "no"},
         true,
         QStringLiteral("Couldn't check for updates. Try again"),
         "checkNowButton"},
        {"available",
         {200, feed("2.0", QUrl("http://127.0.0.1:9/u.tar"), "")},
         true,
         QStringLiteral("Version 2.0 is available to download"),
         "downloadButton"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LocalHttpServer server;
        server.serve(QStringLiteral("/appcast.json"), c.response);
        SettingsBench bench(server.url(QStringLiteral("/appcast.json")));
        ASSERT_TRUE(bench.loadSettings());
        if (c.waitForOutcome) {
            ASSERT_TRUE(checkOnce(bench));
        } else if (QByteArray(c.name) == "checking") {
            bench.host.click(bench.host.find(QStringLiteral("checkNowButton")));
        }
        QQuickItem* row = bench.host.find(QStringLiteral("updateRow"));
        EXPECT_EQ(textOf(row->findChild<QQuickItem*>(QStringLiteral("rowSubtitle"))), c.subtitle);
        for (const char* control : {"checkNowButton", "checkingSpinner", "downloadButton"}) {
            EXPECT_EQ(bench.host.shown(control), QByteArray(control) == c.control) << control;
        }
        if (QByteArray(c.name) == "available") {
            bench.host.click(bench.host.find(QStringLiteral("downloadButton")));
            EXPECT_EQ(bench.host.shell().calls, QStringList{QStringLiteral("open update")});
        }
    }
}

// The update window over the settings bench's controller, after one check of a feed whose
// download never answers.
struct UpdateWindowBench {
    explicit UpdateWindowBench(const char* version, const char* notes = "")
        : bench(server.url(QStringLiteral("/appcast.json"))) {
        server.serve(QStringLiteral("/download.tar"), {200, {}, true, /*neverAnswer=*/true});
        server.serve(QStringLiteral("/appcast.json"),
                     {200, feed(version, server.url(QStringLiteral("/download.tar")), notes)});
        checked = checkOnce(bench);
        root = bench.host.loadView(
            QStringLiteral("UpdateView"),
            {{QStringLiteral("updates"), QVariant::fromValue<QObject*>(&bench.updates)}});
        if (root) {
            dismissed = std::make_unique<QSignalSpy>(root, SIGNAL(dismissRequested()));
        }
    }

    int downloadRequests() const {
        int count = 0;
        for (const QByteArray& request : server.requests()) {
            count += request.contains("/download.tar") ? 1 : 0;
        }
        return count;
    }

    LocalHttpServer server;
    SettingsBench bench;
    bool checked = false;
    QQuickItem* root = nullptr;
    std::unique_ptr<QSignalSpy> dismissed;
};

TEST(UpdateViewsTest, WindowShowsTheOutcomeWithTheNotes) {
    struct Case {
        const char* name;
        const char* version;
        const char* notes;
        QString shownNotes;  // empty: up to date, no notes
    };
    const Case cases[] = {
        {"up to date", "1.4", "", {}},
        {"notes", "2.0", "**Faster** scans", QStringLiteral("<b>Faster</b> scans")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateWindowBench w(c.version, c.notes);
        ASSERT_TRUE(w.checked && w.root);
        QmlHost& host = w.bench.host;
        EXPECT_EQ(host.shown("upToDate"), c.shownNotes.isEmpty());
        EXPECT_EQ(host.shown("installButton"), !c.shownNotes.isEmpty());
        if (c.shownNotes.isEmpty()) {
            host.click(host.find(QStringLiteral("closeUpToDateButton")));
            EXPECT_EQ(w.dismissed->count(), 1);
            continue;
        }
        EXPECT_EQ(host.text("releaseNotes"), c.shownNotes);
        host.localization().setLanguage(AppLanguage::french);
        EXPECT_EQ(host.text("versionsLine"),
                  QStringLiteral("Velarion 2.0 est disponible. Vous avez la 1.4."));
    }
}

TEST(UpdateViewsTest, FooterFollowsTheInstallerAndADoublePressStartsOneInstall) {
    UpdateWindowBench w("2.0");
    ASSERT_TRUE(w.checked && w.root);
    QmlHost& host = w.bench.host;
    EXPECT_TRUE(host.shown("idleFooter"));

    QQuickItem* install = host.find(QStringLiteral("installButton"));
    const QPoint at = install->mapToScene({install->width() / 2, install->height() / 2}).toPoint();
    QTest::mouseClick(&host.window(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseClick(&host.window(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.downloadRequests() >= 1; }, 20'000));
    EXPECT_TRUE(host.shown("downloadingFooter"));
    EXPECT_FALSE(host.shown("idleFooter"));
    EXPECT_EQ(host.text("progressText"), QStringLiteral("Downloading… 0%"));
    w.bench.installer.reportProgress(0.426);
    EXPECT_EQ(host.text("progressText"), QStringLiteral("Downloading… 42%"));
    // The server has the request; a second install would have sent another by now.
    QTest::qWait(200);
    EXPECT_EQ(w.downloadRequests(), 1);
}

// A failed install and a packaged copy both leave the user only the manual download; the
// packaged copy's refusal holds for any caller of the verb, not just the hidden button.
TEST(UpdateViewsTest, FailedOrPackagedCopiesOfferOnlyTheManualDownload) {
    UpdateWindowBench w("2.0");
    ASSERT_TRUE(w.checked && w.root);
    QmlHost& host = w.bench.host;
    // A download that is refused fails the install.
    w.bench.installer.install(LocalHttpServer::refusingURL(QStringLiteral("/x.tar")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.bench.updates.phase() == QStringLiteral("failed"); },
                                20'000));
    EXPECT_TRUE(host.shown("failedFooter"));
    EXPECT_FALSE(host.shown("installButton"));
    host.click(host.find(QStringLiteral("failedDownloadManuallyButton")));
    EXPECT_EQ(w.bench.opened, QList<QUrl>{w.server.url(QStringLiteral("/download.tar"))});
    EXPECT_EQ(w.dismissed->count(), 1);

    UpdateWindowBench packaged("2.0");
    ASSERT_TRUE(packaged.checked && packaged.root);
    QmlHost& packagedHost = packaged.bench.host;
    EXPECT_FALSE(packagedHost.shown("packageManagerText"));
    packaged.bench.updates.setUpdatedByPackageManager(true);
    EXPECT_FALSE(packagedHost.shown("installButton"));
    EXPECT_EQ(packagedHost.text("packageManagerText"),
              QStringLiteral("Updates for this copy come from your package manager."));
    EXPECT_TRUE(packagedHost.shown("downloadManuallyButton"));
    EXPECT_FALSE(packaged.bench.updates.installUpdate())
        << "the verb refuses too, whatever calls it";
    EXPECT_EQ(packaged.bench.updates.phase(), QStringLiteral("idle"));
}
