#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace ops {

// Runs job 0 … count-1 on `workers` threads of their own and hands each result to `deliver` on
// the calling thread, in the order of the jobs, so that what a user is told keeps the order of
// the list whatever finishes first. Each thread first calls `makeWorker` for the function that
// does its jobs (a connection of its own, say). When `deliver` returns false no further job
// starts; those already started finish and are delivered too. Whatever a thread throws is thrown
// here when its job's turn comes. One worker does the jobs on the calling thread, one at a time:
// an application that serves one call at a time may answer only the thread that reached it.
template <typename Result>
void runInOrder(std::size_t count, std::size_t workers,
                const std::function<std::function<Result(std::size_t)>()>& makeWorker,
                const std::function<bool(std::size_t, Result&)>& deliver) {
    if (workers <= 1 || count <= 1) {
        if (count == 0) return;
        const std::function<Result(std::size_t)> job = makeWorker();
        for (std::size_t index = 0; index < count; ++index) {
            Result result = job(index);
            if (!deliver(index, result)) return;
        }
        return;
    }
    struct Slot {
        std::optional<Result> result;
        std::exception_ptr failure;
        bool done = false;
    };
    std::vector<Slot> slots(count);
    std::mutex mutex;
    std::condition_variable finished;
    std::size_t started = 0;  // jobs handed to a thread, all under `mutex`
    bool stopping = false;

    const auto work = [&] {
        std::function<Result(std::size_t)> job;
        std::exception_ptr unready;
        try {
            job = makeWorker();
        } catch (...) {
            unready = std::current_exception();
        }
        for (;;) {
            std::size_t index = 0;
            {
                const std::lock_guard lock(mutex);
                if (stopping || started == count) return;
                index = started++;
            }
            Slot& slot = slots[index];
            try {
                if (unready) std::rethrow_exception(unready);
                slot.result.emplace(job(index));
            } catch (...) {
                slot.failure = std::current_exception();
            }
            const std::lock_guard lock(mutex);
            slot.done = true;
            finished.notify_all();
        }
    };

    std::vector<std::jthread> threads;
    const auto stopAll = [&] {
        {
            const std::lock_guard lock(mutex);
            stopping = true;
        }
        threads.clear();  // joins: a thread ends once its job is done
    };
    for (std::size_t i = 0; i < workers && i < count; ++i) threads.emplace_back(work);
    try {
        for (std::size_t index = 0; index < count; ++index) {
            std::unique_lock lock(mutex);
            finished.wait(lock,
                          [&] { return slots[index].done || (stopping && index >= started); });
            if (!slots[index].done) break;  // never started: the batch stopped before it
            lock.unlock();
            Slot& slot = slots[index];
            if (slot.failure) std::rethrow_exception(slot.failure);
            if (!deliver(index, *slot.result)) {
                const std::lock_guard again(mutex);
                stopping = true;
            }
        }
    } catch (...) {
        stopAll();
        throw;
    }
    stopAll();
}

}  // namespace ops
