// The dashboard's repeated scan, its clock driven by hand.

#include "ManualTimer.h"
#include "MaskScanTestbed.h"

#include "capture/CaptureError.h"
#include "ui/controllers/PeriodicMaskScan.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using std::chrono::milliseconds;

class PeriodicMaskScanTest : public ::testing::Test {
protected:
    MaskScanTestbed m_bed;
    ManualTimer* m_timer = new ManualTimer;
    PeriodicMaskScan m_periodic{m_bed.scanner, m_bed.appState, m_bed.settings,
                                std::unique_ptr<ScanTimer>(m_timer)};
    QSignalSpy m_scans{&m_bed.scanner, &MaskScanner::scanFinished};

    void runBoth() {
        m_periodic.setDashboardShown(true);
        m_bed.appState.setOCRMaskingActive(true);
    }
};

}  // namespace

TEST_F(PeriodicMaskScanTest, TheStoredIntervalIsFiveSecondsWhenNotPositiveAndNeverBelowOne) {
    runBoth();
    struct Case {
        double seconds;
        milliseconds expected;
    };
    const Case cases[] = {
        {0, milliseconds(5000)},
        {0.2, milliseconds(1000)},
        {2.5, milliseconds(2500)},
        {NAN, milliseconds(5000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(PeriodicMaskScan::passInterval(c.seconds), c.expected);
        if (std::isnan(c.seconds)) {
            continue;  // the rule only: the preference never stores it
        }
        // A new interval restarts the wait with it at once.
        const size_t before = m_timer->delays.size();
        m_bed.settings.setScanInterval(c.seconds);
        ASSERT_EQ(m_timer->delays.size(), before + 1);
        EXPECT_EQ(m_timer->delays.back(), c.expected);
    }
    EXPECT_EQ(m_scans.count(), 0) << "a restart waits a whole interval before scanning";
}

TEST_F(PeriodicMaskScanTest, EachPassScansThenWaitsAnotherIntervalAlsoAfterAFailedSnapshot) {
    runBoth();
    m_timer->fire();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_scans.count() == 1; }, 20'000));
    EXPECT_EQ(m_scans.first().first().value<MaskScanOutcome>().kind, MaskScanOutcome::Kind::found);
    EXPECT_TRUE(m_bed.overlay.isShowing());
    ASSERT_TRUE(m_timer->pending()) << "the next pass is scheduled once the scan ended";
    EXPECT_EQ(m_timer->delays.size(), 2u);

    m_bed.backend->failContent = [] {
        throw CaptureError(QStringLiteral("gone"));
    };
    m_timer->fire();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_scans.count() == 2; }, 20'000));
    EXPECT_EQ(m_scans.last().first().value<MaskScanOutcome>(),
              MaskScanOutcome::failedWith(QStringLiteral("gone")));
    EXPECT_TRUE(m_timer->pending()) << "a failed pass does not end the periodic scan";
}

TEST_F(PeriodicMaskScanTest, AScanOfACancelledRunSchedulesNothing) {
    runBoth();
    m_timer->fire();
    // While that scan runs, the interval changes: the new run waits its own interval only.
    m_bed.settings.setScanInterval(9);
    ASSERT_EQ(m_timer->delays.size(), 2u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_scans.count() == 1; }, 20'000));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_timer->delays.size(), 2u) << "the old run's scan started a second wait";
    EXPECT_EQ(m_timer->delays.back(), milliseconds(9000));
    EXPECT_TRUE(m_timer->pending());
}
