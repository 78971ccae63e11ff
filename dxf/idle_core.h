#pragma once

namespace dxf {

// Whether a second thread would find a core of its own now: the machine has more than one and,
// where the system says how busy they are, fewer threads are running than it has cores. On a
// machine whose cores are all busy a second thread only takes turns with the first.
bool idleCoreLikely();

}  // namespace dxf
