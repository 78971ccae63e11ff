#include <sys/mman.h>

#include <cstdint>

#include "storage/large_pages.h"

namespace storage {

void preferLargePages(void* begin, std::size_t bytes) {
    constexpr std::uintptr_t kLargePage = 2U << 20;
    if (bytes < 4 * kLargePage) return;
    const auto start = reinterpret_cast<std::uintptr_t>(begin);
    const std::uintptr_t first = (start + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t last = (start + bytes) & ~(kLargePage - 1);
#ifdef MADV_HUGEPAGE
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

}  // namespace storage
