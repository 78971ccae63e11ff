#pragma once

#include <cstddef>

// Linux only: a mapped file that another program cuts short raises SIGBUS on the next read of a
// page past its new end, which would end the process. Guarded ranges read as zeros instead, and
// their owner learns that the bytes are no longer the file's.
namespace dxf::platform {

// Guards the mapping [begin, begin + size); -1 when every place for a guard is taken, and the
// file should then be read rather than mapped.
int guardMapping(const void* begin, std::size_t size);

// Whether the guarded mapping has been cut short since guardMapping().
bool mappingTorn(int guard);

// Ends the guard; call before the range is unmapped.
void unguardMapping(int guard);

}  // namespace dxf::platform
