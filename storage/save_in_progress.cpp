#include "storage/save_in_progress.h"

#include <atomic>
#include <csignal>

namespace storage {

namespace {

std::atomic<int> savesInProgress{0};
std::atomic<int> deferredSignal{0};

// Ends the process with the deferred signal, if there is one and no one else took it.
void endWithDeferredSignal() {
    const int signal = deferredSignal.exchange(0);
    if (signal == 0) return;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

extern "C" void deferOrEnd(int signal) {
    deferredSignal.store(signal);
    // The save may have ended between the two loads: then no one else will raise it.
    if (savesInProgress.load() == 0) endWithDeferredSignal();
}

}  // namespace

void deferTerminationDuringSaves() {
#ifndef _WIN32
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        struct sigaction deferring {};
        deferring.sa_handler = deferOrEnd;
        deferring.sa_flags = SA_RESTART;
        sigemptyset(&deferring.sa_mask);
        ::sigaction(signal, &deferring, nullptr);
    }
#endif
}

SaveInProgress::SaveInProgress() { ++savesInProgress; }

SaveInProgress::~SaveInProgress() {
    if (--savesInProgress == 0) endWithDeferredSignal();
}

}  // namespace storage
