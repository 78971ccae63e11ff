#include <cstdlib>
#include <thread>

#include "dxf/idle_core.h"

namespace dxf {

bool idleCoreLikely() {
    const unsigned cores = std::thread::hardware_concurrency();
    if (cores < 2) return false;
    // The threads that ran or waited to run over the last minute, on average.
    double load = 0;
    if (getloadavg(&load, 1) != 1) return true;
    return load <= static_cast<double>(cores) - 1.0;
}

}  // namespace dxf
