// The main window's dashboard over the real services: the hero panel's texts and counts, the
// presentation mode, the mask panel's scans and when the periodic scan may run.

#include "QmlHost.h"
#include "ViewTestbed.h"

#include "capture/CaptureError.h"
#include "support/QtPrinters.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The panel's spring has come to rest at the height of its content.
bool openedFully(QQuickItem* panel) {
    return QTest::qWaitFor([panel] {
        const qreal content = panel->childItems().value(0)->implicitHeight();
        return content > 0 && qAbs(panel->height() - content) < 0.5;
    });
}

class MainViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = m_host.loadView(QStringLiteral("MainView"), m_bed.properties());
        ASSERT_TRUE(m_root);
    }
    void clickRow(const char* feature) {
        m_host.click(m_host.find(QString::fromLatin1(feature) + QStringLiteral("Row")));
    }
    bool shieldsIdle() {
        return QTest::qWaitFor(
            [&] { return !m_bed.desktopShield.isBusy() && !m_bed.notificationGuard.isBusy(); },
            20'000);
    }

    ViewTestbed m_bed;
    QmlHost m_host{{880, 1100}};
    QQuickItem* m_root = nullptr;
};

}  // namespace

TEST_F(MainViewTest, HeroTextsAndCountsFollowTheActiveShields) {
    struct Case {
        bool desktop, notifications, mask, broadcast;
        const char* title;
        const char* subtitle;
        const char* count;
    };
    const Case cases[] = {
        {true, true, true, false, "You're protected", "3 of 3 privacy shields are active.",
         "3 active"},
        // The broadcast is no protection module of the count.
        {false, false, false, true, "Ready to present",
         "Turn on Presentation Mode before you share your screen.", "0 active"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.count) + " / " + c.subtitle);
        m_bed.appState.setDesktopShieldActive(c.desktop);
        m_bed.appState.setNotificationGuardActive(c.notifications);
        m_bed.appState.setOCRMaskingActive(c.mask);
        m_bed.appState.setVirtualCameraActive(c.broadcast);
        EXPECT_EQ(m_host.text("heroTitle"), QString::fromUtf8(c.title));
        EXPECT_EQ(m_host.text("heroSubtitle"), QString::fromUtf8(c.subtitle));
        EXPECT_EQ(m_host.text("activeCountText"), QString::fromUtf8(c.count));
        EXPECT_EQ(m_host.text("heroCount"),
                  QString::fromUtf8(c.count).section(QLatin1Char(' '), 0, 0));
    }

    m_host.localization().setLanguage(AppLanguage::french);
    EXPECT_EQ(m_host.text("heroTitle"), QStringLiteral("Prêt à présenter"));
    EXPECT_EQ(m_host.text("activeCountText"), QStringLiteral("0 actifs"));
}

TEST_F(MainViewTest, PresentationModeSwitchesBothShieldsAndNeverTheMaskOrTheBroadcast) {
    // The user had switched the desktop shield on by hand, and the mask.
    m_bed.switches.setDesktopShield(true);
    m_bed.appState.setOCRMaskingActive(true);
    ASSERT_TRUE(shieldsIdle());
    QQuickItem* button = m_host.find(QStringLiteral("presentButton"));
    EXPECT_EQ(button->property("text").toString(), QStringLiteral("Start presenting"));

    m_host.click(button);
    EXPECT_TRUE(m_bed.appState.isPresentationMode());
    EXPECT_TRUE(m_bed.appState.isDesktopShieldActive());
    EXPECT_TRUE(m_bed.appState.isNotificationGuardActive());
    EXPECT_EQ(button->property("text").toString(), QStringLiteral("Stop presenting"));
    ASSERT_TRUE(shieldsIdle());

    m_host.click(button);
    EXPECT_FALSE(m_bed.appState.isPresentationMode());
    EXPECT_FALSE(m_bed.appState.isDesktopShieldActive()) << "also the one switched on by hand";
    EXPECT_FALSE(m_bed.appState.isNotificationGuardActive());
    ASSERT_TRUE(shieldsIdle());

    EXPECT_TRUE(m_bed.appState.isOCRMaskingActive());
    EXPECT_FALSE(m_bed.appState.isVirtualCameraActive());
    // Each shield ran its tool in order; the two run side by side.
    const QStringList journal = m_bed.tools.journal();
    EXPECT_EQ(journal.filter(QStringLiteral("desktop")),
              (QStringList{QStringLiteral("desktop hide"), QStringLiteral("desktop hide"),
                           QStringLiteral("desktop show")}));
    EXPECT_EQ(journal.filter(QStringLiteral("dnd")),
              (QStringList{QStringLiteral("dnd on"), QStringLiteral("dnd off")}));
}

// Each outcome of the scan in turn, on one open panel.
TEST_F(MainViewTest, ScanNowWritesTheOutcomeIntoTheStatusLine) {
    clickRow("ocrMask");
    QQuickItem* panel = m_host.find(QStringLiteral("ocrMaskPanel"));
    ASSERT_TRUE(openedFully(panel));
    QQuickItem* status = QmlHost::findIn(panel, QStringLiteral("scanStatus"));
    EXPECT_EQ(textOf(status), QStringLiteral("0 sensitive region(s) found"));

    struct Case {
        const char* name;
        std::function<void(FakeCaptureBackend&)> server;
        const char* status;
    };
    const Case cases[] = {
        {"one address", [](FakeCaptureBackend&) {}, "Masking 1 sensitive region(s)"},
        {"server unreachable",
         [](FakeCaptureBackend& b) {
             b.failContent = [] {
                 throw CaptureError(QStringLiteral("cannot open display"));
             };
         },
         "Scan failed: cannot open display"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.server(*m_bed.backend);
        m_host.click(QmlHost::findIn(panel, QStringLiteral("scanNowButton")));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return textOf(status) == QString::fromUtf8(c.status); }, 20'000))
            << textOf(status).toStdString();
        EXPECT_FALSE(m_bed.overlay.isShowing()) << "Scan Now with the mask off shows no mask";
    }

    // Closing the panel forgets its outcome.
    clickRow("ocrMask");
    clickRow("ocrMask");
    EXPECT_EQ(textOf(status), QStringLiteral("1 sensitive region(s) found"));
}

TEST_F(MainViewTest, PeriodicScanRunsOnlyWhileTheDashboardOfAShownWindowIsSelected) {
    m_bed.appState.setOCRMaskingActive(true);
    EXPECT_TRUE(m_bed.periodic.dashboardShown());
    EXPECT_TRUE(m_bed.timer->pending());

    m_host.click(m_host.find(QStringLiteral("settingsTabButton")));
    EXPECT_FALSE(m_bed.periodic.dashboardShown());
    EXPECT_FALSE(m_bed.timer->pending());
    EXPECT_TRUE(m_host.find(QStringLiteral("settingsTab"))->isVisible());
    EXPECT_FALSE(m_host.find(QStringLiteral("dashboard"))->isVisible());

    m_host.click(m_host.find(QStringLiteral("dashboardTabButton")));
    EXPECT_TRUE(m_bed.periodic.dashboardShown());
    EXPECT_TRUE(m_bed.timer->pending());

    m_bed.appState.setOCRMaskingActive(false);
    EXPECT_FALSE(m_bed.timer->pending()) << "switching the mask off cancels the pending pass";
    m_bed.appState.setOCRMaskingActive(true);
    EXPECT_TRUE(m_bed.timer->pending());

    m_root->setProperty("windowShown", false);
    EXPECT_FALSE(m_bed.periodic.dashboardShown());
    EXPECT_FALSE(m_bed.timer->pending());
}

TEST_F(MainViewTest, SidebarUpdateButtonOnlyWhileANewerVersionIsKnown) {
    QQuickItem* button = m_host.find(QStringLiteral("sidebarUpdateButton"));
    EXPECT_FALSE(button->isVisible());
    m_bed.writeFeed(QStringLiteral("2.0"));
    m_bed.checker.check();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return button->isVisible() && button->height() > 0; }, 20'000));
    m_host.click(button);
    EXPECT_EQ(m_host.shell().calls, QStringList{QStringLiteral("open update")});
}
