#pragma once

#include <sys/stat.h>

#include <memory>

#include "storage/mapped_file.h"
#include "storage/unique_fd.h"

namespace storage {

// Whether the regular file open as `fd`, `opened` as fstat saw it, is better mapped than read.
bool worthMapping(int fd, const struct stat& opened);

// The file open as `fd` mapped, holding `fd` from then on; nullptr, with `fd` left as it was to
// be read instead, where the file cannot be mapped and guarded.
std::unique_ptr<MappedFile> mapFile(UniqueFd& fd, const struct stat& opened);

// The descriptor a mapping made by mapFile() holds, open for reading; -1 for any other.
int descriptorOf(const MappedFile& file);

}  // namespace storage
