#include "storage/bus_error_guard.h"

#include <signal.h>
#include <sys/mman.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

namespace storage {

namespace {

// A few files are mapped at a time; a file that finds no place is read instead.
constexpr std::size_t kPlaces = 64;

struct Guard {
    std::atomic<bool> taken{false};
    std::atomic<std::uintptr_t> begin{0};  // 0 while the guard is being set up or ended
    std::atomic<std::size_t> size{0};
    std::atomic<bool> torn{false};
};

std::array<Guard, kPlaces> places;
struct sigaction previousAction {};

// Runs in the thread whose read faulted. Only async-signal-safe work: atomics and mmap.
void onBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Guard& guard : places) {
        const std::uintptr_t begin = guard.begin.load(std::memory_order_acquire);
        const std::size_t size = guard.size.load(std::memory_order_relaxed);
        if (begin == 0 || address - begin >= size) continue;
        // Zero pages in place of the whole mapping: the faulting read runs again and finds them.
        void* zeros = ::mmap(reinterpret_cast<void*>(begin), size, PROT_READ,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros == MAP_FAILED) break;
        guard.torn.store(true, std::memory_order_release);
        return;
    }
    // Not a guarded mapping: what would have happened without this handler.
    if ((previousAction.sa_flags & SA_SIGINFO) != 0 && previousAction.sa_sigaction != nullptr) {
        previousAction.sa_sigaction(signal, info, context);
    } else if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
        previousAction.sa_handler(signal);
    } else {
        ::signal(SIGBUS, SIG_DFL);  // the read faults again and the process ends as it would have
    }
}

void installHandler() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &previousAction);
    });
}

// A free place for a guard over [begin, begin + size), taken; -1 when there is none.
int takePlace(const void* begin, std::size_t size) {
    installHandler();
    for (std::size_t i = 0; i < kPlaces; ++i) {
        bool expected = false;
        if (!places[i].taken.compare_exchange_strong(expected, true)) continue;
        places[i].torn.store(false);
        places[i].size.store(size, std::memory_order_relaxed);
        places[i].begin.store(reinterpret_cast<std::uintptr_t>(begin), std::memory_order_release);
        return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

BusErrorGuard::BusErrorGuard(const void* begin, std::size_t size)
    : place_(begin != nullptr ? takePlace(begin, size) : -1) {}

BusErrorGuard::~BusErrorGuard() {
    if (place_ < 0) return;
    Guard& guard = places[static_cast<std::size_t>(place_)];
    guard.begin.store(0, std::memory_order_release);
    guard.taken.store(false, std::memory_order_release);
}

bool BusErrorGuard::torn() const {
    return places[static_cast<std::size_t>(place_)].torn.load(std::memory_order_acquire);
}

}  // namespace storage
