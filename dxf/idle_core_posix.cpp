#include <fstream>
#include <thread>

#include "dxf/idle_core.h"

namespace dxf {

bool idleCoreLikely() {
    const unsigned cores = std::thread::hardware_concurrency();
    if (cores < 2) return false;
    // The threads running or ready to run at this moment, the caller's among them: the fourth
    // field of /proc/loadavg, "running/existing". Not the load average, which counts for a minute
    // whatever ran before: the caller's own work of a moment ago (drawings opened one after
    // another) would keep it from a core that is idle now.
    std::ifstream loadavg("/proc/loadavg");
    double averages[3] = {};
    unsigned running = 0;
    if (!(loadavg >> averages[0] >> averages[1] >> averages[2] >> running)) return true;
    return running < cores;
}

}  // namespace dxf
