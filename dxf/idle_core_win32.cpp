#include <thread>

#include "dxf/idle_core.h"

namespace dxf {

// Windows keeps no load average: more than one core is all there is to go by.
bool idleCoreLikely() { return std::thread::hardware_concurrency() > 1; }

}  // namespace dxf
