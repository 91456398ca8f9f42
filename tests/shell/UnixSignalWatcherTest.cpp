#include "shell/UnixSignalWatcher.h"

#include <QSignalSpy>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <csignal>

TEST(UnixSignalWatcherTest, TerminationSignalsArriveOnTheEventLoopInsteadOfKilling) {
    {
        UnixSignalWatcher watcher;
        QSignalSpy received(&watcher, &UnixSignalWatcher::terminationRequested);
        for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
            ASSERT_EQ(::raise(signalNumber), 0);
            ASSERT_TRUE(received.wait(20'000)) << "signal " << signalNumber;
            EXPECT_EQ(received.takeLast().at(0).toInt(), signalNumber);
        }
    }
    // Afterwards the default disposition is back: nothing of the watcher is left installed.
    struct sigaction current = {};
    ::sigaction(SIGTERM, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
}
