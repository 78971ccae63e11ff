#pragma once

#include <string_view>

namespace storage {

// A file's bytes as the system maps them into memory, for as long as this lives. Where files are
// mapped (mapped_file_posix.h) another program may still change the file meanwhile.
class MappedFile {
public:
    virtual ~MappedFile() = default;
    virtual std::string_view bytes() const = 0;
    // Whether the file has been written, cut short or grown since it was mapped.
    virtual bool changedSinceMapped() const = 0;
};

}  // namespace storage
