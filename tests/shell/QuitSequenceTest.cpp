#include "shell/QuitSequence.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTimer>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(QuitSequenceTest, RunsEveryStepOnceInOrderThenEndsTheEventLoop) {
    QuitSequence quit;
    QStringList ran;
    quit.addStep(QStringLiteral("stop stealth"), [&ran] { ran << QStringLiteral("stealth"); });
    quit.addStep(QStringLiteral("throws"), [] { throw std::runtime_error("tool missing"); });
    quit.addStep(QStringLiteral("show icons"), [&ran] { ran << QStringLiteral("icons"); });
    QSignalSpy restored(&quit, &QuitSequence::restored);

    QTimer::singleShot(0, &quit, [&quit] {
        quit.quit();
        quit.quit();
    });
    // A watchdog that fails the test instead of hanging if the loop is never told to quit.
    bool watchdogFired = false;
    QTimer::singleShot(30'000, [&watchdogFired] {
        watchdogFired = true;
        QCoreApplication::exit(1);
    });
    QCoreApplication::exec();

    EXPECT_FALSE(watchdogFired);
    EXPECT_EQ(ran, (QStringList{QStringLiteral("stealth"), QStringLiteral("icons")}));
    EXPECT_EQ(restored.count(), 1);
    EXPECT_TRUE(quit.isQuitting());
}
