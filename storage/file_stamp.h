#pragma once

#include <cstdint>

namespace storage {

// Which file a name led to and how it was when it was opened: the system's number for it, its
// size and its last modification. A name that later gives another stamp has been given to
// another file, or the file has been changed, since.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t index = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // in the system's finest unit (ns on POSIX, 100 ns on Windows)

    bool operator==(const FileStamp&) const = default;
};

}  // namespace storage
