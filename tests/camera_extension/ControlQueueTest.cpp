#include "support/WaitFor.h"

#include "camera_extension/ControlQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(ControlQueueTest, PeriodicWorkRunsOnTheControlThreadBesidePostedWorkUntilQuit) {
    ControlQueue queue;
    std::atomic<int> periodicRuns{0};
    std::atomic<bool> periodicOnOtherThread{false};
    std::atomic<bool> secondRan{false};
    std::vector<int> posted;
    std::thread::id controlThread;
    int quitCode = -1;
    queue.setPeriodicWork(std::chrono::milliseconds(10), [&] {
        periodicOnOtherThread =
            periodicOnOtherThread || std::this_thread::get_id() != controlThread;
        ++periodicRuns;
    });
    std::thread control([&] {
        controlThread = std::this_thread::get_id();
        queue.post([&] { posted.push_back(1); });
        quitCode = queue.run();
    });
    EXPECT_TRUE(waitFor([&] { return periodicRuns >= 3; }));
    queue.post([&] {
        posted.push_back(2);
        secondRan = true;
    });
    EXPECT_TRUE(waitFor([&] { return secondRan.load(); }));
    queue.quit(7);
    control.join();
    EXPECT_EQ(quitCode, 7);
    EXPECT_EQ(posted, (std::vector<int>{1, 2}));
    EXPECT_FALSE(periodicOnOtherThread);
}
