#include "ops/ordered_workers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace ops {
namespace {

// Jobs that finish in the reverse of their order, each taking a while, so that several overlap;
// one worker does them in turn on the calling thread.
TEST(RunInOrder, DeliversInOrderStopsWhenToldAndRethrowsAtItsTurn) {
    const struct {
        const char* name;
        std::size_t workers;
        std::size_t stopAfter;        // deliver returns false at this index
        std::size_t throwsAt;         // this job throws
        std::size_t fewestDelivered;  // and no more than those begun
        bool thrown;
    } cases[] = {
        {"all delivered in order", 4, 99, 99, 8, false},
        {"told to stop: those begun are delivered, no other begins", 4, 1, 99, 2, false},
        {"a throw comes out at its turn, after the ones before", 4, 99, 2, 2, true},
        {"one worker: all in order", 1, 99, 99, 8, false},
        {"one worker told to stop", 1, 1, 99, 2, false},
        {"one worker's throw", 1, 99, 2, 2, true},
    };
    constexpr std::size_t kJobs = 8;
    const std::thread::id caller = std::this_thread::get_id();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::atomic<int> running = 0, mostAtOnce = 0, workersMade = 0;
        std::vector<std::atomic<bool>> ran(kJobs);
        std::vector<std::size_t> delivered;
        const auto job = [&](std::size_t index) {
            const int now = ++running;
            mostAtOnce = std::max(mostAtOnce.load(), now);
            std::this_thread::sleep_for(std::chrono::milliseconds(5 * (kJobs - index)));
            --running;
            ran[index] = true;
            EXPECT_EQ(std::this_thread::get_id() == caller, c.workers == 1);
            if (index == c.throwsAt) throw std::runtime_error("broken");
            return index * 10;
        };
        bool thrown = false;
        try {
            runInOrder<std::size_t>(
                kJobs, c.workers,
                [&]() -> std::function<std::size_t(std::size_t)> {
                    ++workersMade;
                    return job;
                },
                [&](std::size_t index, std::size_t& result) {
                    EXPECT_EQ(result, index * 10);
                    delivered.push_back(index);
                    return index != c.stopAfter;
                });
        } catch (const std::runtime_error&) {
            thrown = true;
        }
        EXPECT_EQ(thrown, c.thrown);
        EXPECT_EQ(workersMade, static_cast<int>(c.workers));
        EXPECT_EQ(mostAtOnce > 1, c.workers > 1) << "the workers ran side by side";
        // Delivered: the first few in order, every job begun, and only those.
        EXPECT_GE(delivered.size(), c.fewestDelivered);
        for (std::size_t i = 0; i < delivered.size(); ++i) EXPECT_EQ(delivered[i], i);
        if (!c.thrown) {
            for (std::size_t i = 0; i < kJobs; ++i)
                EXPECT_EQ(ran[i].load(), i < delivered.size()) << i;
        } else {
            EXPECT_EQ(delivered.size(), c.fewestDelivered);
        }
    }
}

}  // namespace
}  // namespace ops
