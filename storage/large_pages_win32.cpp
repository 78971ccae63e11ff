#include "storage/large_pages.h"

namespace storage {

// Large pages on Windows need the "Lock pages in memory" privilege, which users do not have.
void preferLargePages(void* /*begin*/, std::size_t /*bytes*/) {}

}  // namespace storage
