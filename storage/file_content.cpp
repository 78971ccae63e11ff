#include "storage/file_content.h"

#include <new>

#include "storage/error.h"

namespace storage {

namespace {

constexpr std::uint32_t kNotEnoughMemory = 14;  // ERROR_NOT_ENOUGH_MEMORY

}  // namespace

bool FileContent::changedSinceOpened() const {
    if (mapping_ && !changed_) changed_ = mapping_->changedSinceMapped();
    return changed_;
}

void FileContent::detach(const std::filesystem::path& path) {
    if (!mapping_) return;
    std::string copy;
    try {
        copy.assign(view());
    } catch (const std::bad_alloc&) {
        throw Error::system(kNotEnoughMemory, Action::kSave, path);
    }
    changedSinceOpened();  // judged on the bytes just copied
    mapping_.reset();
    bytes_ = std::move(copy);
}

}  // namespace storage
