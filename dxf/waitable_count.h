#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>

namespace dxf {

// A count that one thread raises and another waits on. The waiter blocks in the kernel at once:
// std::atomic::wait spins and yields first, which on a busy machine burns the very time a second
// thread was to save. Raising calls into the kernel only while someone waits.
class WaitableCount {
public:
    std::size_t load() const { return value_.load(std::memory_order_acquire); }

    void add(std::size_t n) {
        // Both sequentially consistent: either this sees the waiter, or the waiter sees the count.
        value_.fetch_add(n);
        if (waiting_.load()) {
            const std::lock_guard lock(mutex_);
            changed_.notify_one();
        }
    }

    // The count, once it is no longer `seen`.
    std::size_t waitWhile(std::size_t seen) {
        std::size_t now = load();
        if (now != seen) return now;
        std::unique_lock lock(mutex_);
        waiting_.store(true);
        changed_.wait(lock, [&] { return (now = value_.load()) != seen; });
        waiting_.store(false);
        return now;
    }

private:
    std::atomic<std::size_t> value_{0};
    std::atomic<bool> waiting_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
};

}  // namespace dxf
