#include "dxf/drawing.h"

#include <utility>

#include "dxf/error.h"
#include "dxf/indexing_costs.h"
#include "storage/backup.h"
#include "storage/file_names.h"

namespace dxf {

namespace {

// The longest value line the versions take: 255 bytes before R2007, 2049 from R2007 on.
constexpr std::size_t kLegacyValueLimit = 255;
constexpr std::size_t kUtf8ValueLimit = 2049;

TextCodec untitledCodec() {
    std::string unused;
    return *TextCodec::forDrawing("AC1032", {}, unused);
}

bool nameCanExist(const std::filesystem::path& path) {
    return !path.empty() && path.native().find(std::filesystem::path::value_type{}) ==
                                std::filesystem::path::string_type::npos;
}

// Class names are ASCII: each byte widens to one UTF-16 unit.
std::vector<std::u16string> widenedClassNames(const ClassNames& classNames) {
    std::vector<std::u16string> wide(classNames.count());
    for (ClassNames::Id id = 0; id < classNames.count(); ++id) {
        const std::string_view name = classNames.name(id);
        wide[id].assign(name.begin(), name.end());
    }
    return wide;
}

}  // namespace

Drawing::Drawing()
    : codec_(untitledCodec()), wideClassNames_(widenedClassNames(index_.modelSpace.classNames)) {}

Drawing::Drawing(storage::FileContent content, std::filesystem::path path, FileIndex index,
                 TextCodec codec)
    : content_(std::move(content)),
      path_(std::move(path)),
      index_(std::move(index)),
      codec_(std::move(codec)),
      wideClassNames_(widenedClassNames(index_.modelSpace.classNames)) {}

Drawing Drawing::open(const std::filesystem::path& path, const Drawing* replacing,
                      OpenOptions options) {
    if (!nameCanExist(path)) throw invalidNameError(path);
    return namingFileErrors([&] {
        storage::FileLock lock = replacing != nullptr ? storage::FileLock(path, replacing->lock_)
                                                      : storage::FileLock(path);
        Drawing drawing =
            fromContent(storage::readFileContent(
                            path, [&path](std::string_view head) { checkDxfHead(head, path); }),
                        path, options.reach);
        // Under the claim no save of ours is under way: temporaries of this drawing are what a
        // killed run left, and a batch that finds nothing to change would never save and so tidy
        // them.
        storage::tidyAfterKilledSaves(path);
        drawing.claim_ = options.claim;
        if (options.claim == Claim::kUntilClosed) drawing.lock_ = std::move(lock);
        return drawing;
    });
}

Drawing Drawing::fromBytes(std::string bytes, std::filesystem::path name) {
    return fromContent(storage::FileContent(std::move(bytes)), std::move(name));
}

Drawing Drawing::fromContent(storage::FileContent content, std::filesystem::path name,
                             Reach reach) {
    if (!attributeSearchPays(content.view().size())) reach = Reach::kEveryEntity;
    FileIndex index;
    try {
        index = indexFile(content.view(), name, LineSearch::kAutomatic, reach);
    } catch (const Error&) {
        // What another program wrote meanwhile is no fault of the drawing's.
        if (content.changedSinceOpened()) throw changedOnDiskError(name);
        throw;
    }
    if (content.changedSinceOpened()) throw changedOnDiskError(name);
    std::string unsupported;
    auto codec = TextCodec::forDrawing(index.acadVersion, index.codePage, unsupported);
    if (!codec) throw unsupportedCodePageError(name, unsupported);
    Drawing drawing(std::move(content), std::move(name), std::move(index), std::move(*codec));
    drawing.onDisk_ = drawing.content_.opened();
    return drawing;
}

std::u16string Drawing::attributeTag(const AttributeSlot& slot) const {
    return slot.hasTag ? codec_.decode(bytesOf(slot.tagBegin, slot.tagEnd)) : std::u16string();
}

std::u16string Drawing::attributeValue(const AttributeSlot& slot) const {
    const auto patch = patches_.find(slot.valueBegin);
    return codec_.decode(patch != patches_.end() ? std::string_view(patch->second.bytes)
                                                 : bytesOf(slot.valueBegin, slot.valueEnd));
}

void Drawing::putAttributeValue(const AttributeSlot& slot, std::u16string_view value) {
    if (slot.multiline) {
        throw attributeNotWritableError(
            path_, attributeTag(slot),
            u"它是带有嵌入多行文字（MTEXT）的多行属性，内置绘图引擎不能完整写入它的文字");
    }
    // A value equal to the file's keeps the file's own bytes, however they spell it.
    if (codec_.decode(bytesOf(slot.valueBegin, slot.valueEnd)) == value) {
        patches_.erase(slot.valueBegin);
        return;
    }
    std::string bytes = codec_.encode(value);
    if (bytes.size() > valueLimit()) {
        throw valueTooLongError(path_, attributeTag(slot), bytes.size(), valueLimit());
    }
    Patch patch = slot.hasValue ? Patch{slot.valueEnd, {}}
                                : newTagPatch(slot.valueBegin, index_.layout, 1,
                                              lineEndBefore(slot.valueBegin));
    patch.bytes = std::move(bytes);
    patches_[slot.valueBegin] = std::move(patch);
}

std::string_view Drawing::lineEndBefore(std::size_t at) const {
    return at >= 2 && bytes()[at - 2] == '\r' ? "\r\n" : "\n";
}

std::size_t Drawing::valueLimit() const {
    return storesUtf8(index_.acadVersion) ? kUtf8ValueLimit : kLegacyValueLimit;
}

void Drawing::forEachPieceOfContent(const std::function<void(std::string_view)>& sink) const {
    forEachPiece(bytes(), patches_, sink);
}

storage::FileLock Drawing::claimForSave() const {
    return namingFileErrors([&] {
        try {
            return storage::FileLock(path_);
        } catch (const storage::Error&) {
            // Gone since it was read: whoever took it away did so after the read.
            if (onDisk_ && !storage::identityOf(path_)) throw storage::Error::replaced(path_);
            throw;
        }
    });
}

void Drawing::save() {
    if (!nameCanExist(path_)) throw invalidNameError(path_);
    if (patches_ == savedPatches_) {
        // Unclaimed, another run's save may be under way: its temporaries are not leftovers.
        if (claim_ == Claim::kUntilClosed) storage::tidyAfterKilledSaves(path_);
        return;
    }
    // Claimed for the save only where it was let go after reading; onDisk_ then tells whether
    // another program saved the drawing meanwhile.
    storage::FileLock forThisSave =
        claim_ == Claim::kWhileBusy ? claimForSave() : storage::FileLock();
    onDisk_ = saveWithBackup(path_, content_, patches_,
                             claim_ == Claim::kWhileBusy ? forThisSave : lock_, onDisk_);
    savedPatches_ = patches_;
}

}  // namespace dxf
