// The worker helper: a job runs until asked to stop, is joined, and a worker can run again.
#include "app/worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace {

using std::chrono::hours;
using std::chrono::milliseconds;
using std::chrono::seconds;

TEST(Worker, RunsUntilAskedToStopAndCanRunAgain) {
    Worker worker;
    std::atomic<int> runs{0};
    for (int round = 0; round < 2; ++round) {
        // The job sleeps far longer than the test waits: only the stop request can end it.
        ASSERT_TRUE(worker.Start([&](Worker& self) {
            runs.fetch_add(1);
            while (self.SleepUnlessStopped(hours(1))) {
            }
        }));
        EXPECT_TRUE(worker.Running());
        EXPECT_FALSE(worker.Start([](Worker&) {})) << "a second job must wait for the first";
        worker.RequestStop();
        EXPECT_TRUE(worker.Join(seconds(30)));
        EXPECT_FALSE(worker.Running());
        EXPECT_EQ(worker.state(), Worker::kFinished);
    }
    EXPECT_EQ(runs.load(), 2);
}

TEST(Worker, JoinGivesUpWhileTheJobRunsAndTheDestructorStopsIt) {
    std::atomic<bool> release{false};
    std::atomic<bool> stopped_seen{false};
    {
        Worker worker;
        ASSERT_TRUE(worker.Start([&](Worker& self) {
            while (!release.load()) std::this_thread::yield();
            while (!self.StopRequested()) std::this_thread::yield();
            stopped_seen = true;
        }));
        EXPECT_FALSE(worker.Join(milliseconds(0)));
        EXPECT_TRUE(worker.Running());
        release = true;
    }
    EXPECT_TRUE(stopped_seen.load());
}

}  // namespace
