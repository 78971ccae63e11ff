#pragma once

#include <cstddef>

// Linux only: a mapped file that another program cuts short raises SIGBUS on the next read of a
// page past its new end, which would end the process. Guarded ranges read as zeros instead, and
// their owner learns that the bytes are no longer the file's.
namespace storage {

// Guards a mapped range for as long as it lives; to go before the range is unmapped.
class BusErrorGuard {
public:
    // Guards [begin, begin + size); nothing when `begin` is null (nothing was mapped).
    BusErrorGuard(const void* begin, std::size_t size);
    ~BusErrorGuard();
    BusErrorGuard(const BusErrorGuard&) = delete;
    BusErrorGuard& operator=(const BusErrorGuard&) = delete;

    // False when nothing was mapped or every place for a guard was taken: the file should then be
    // read, not mapped.
    bool guards() const { return place_ >= 0; }
    // Whether the range has been cut short since it was guarded.
    bool torn() const;

private:
    int place_;  // in the table of guards; -1 for none
};

}  // namespace storage
