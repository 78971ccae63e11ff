#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dxf/file_index.h"
#include "dxf/open_options.h"
#include "dxf/text_codec.h"
#include "dxf/writer.h"
#include "storage/file_content.h"
#include "storage/file_lock.h"

namespace dxf {

// One DXF drawing held as the bytes of its file, an index over them and the values put since it
// was opened. Saving writes the original bytes with only those values replaced. Every failure
// throws dxf::Error.
class Drawing {
public:
    // The untitled, empty drawing a CAD application starts with. It has no file to save to.
    Drawing();

    // Reads and indexes the DXF file at `path`, claiming it as `options.claim` says: while it is
    // claimed, a second open of the same file, by any program that asks for the lock, fails with
    // the lock error. Reopening the file of `replacing` (the drawing this one is to replace) shares
    // its claim. With Reach::kAttributedBlockReferences a large drawing's model space holds only
    // the block references with attributes, and its other entities go unchecked.
    static Drawing open(const std::filesystem::path& path, const Drawing* replacing = nullptr,
                        OpenOptions options = {});
    // The same from bytes already in memory; `name` is the file the descriptions name.
    static Drawing fromBytes(std::string bytes, std::filesystem::path name);

    bool untitled() const { return path_.empty(); }
    const std::filesystem::path& path() const { return path_; }

    // Entities are numbered model space first (0 up to modelSpaceCount()), then each paper-space
    // layout's, in a range of its own.
    std::size_t modelSpaceCount() const { return index_.modelSpace.size(); }
    // The paper-space layouts in tab order: where in the numbering their entities are.
    const std::vector<EntityRange>& layouts() const { return index_.modelSpace.layouts; }
    // The entity at `index`, as found when the file was read; its views last as long as the
    // drawing.
    EntityDetails entity(std::size_t index) const { return index_.modelSpace.entity(index); }
    // Its class name in UTF-16, made once per class rather than once per call.
    const std::u16string& wideClassName(std::size_t index) const {
        return wideClassNames_[index_.modelSpace.entities.at(index).classId];
    }

    // The code page the drawing's text is read and written in.
    CodePageUse codePage() const { return codec_.codePage(); }

    // The attributes of the entity at `index`, as entity(index) gives them.
    std::span<const AttributeSlot> attributes(std::size_t index) const {
        return index_.modelSpace.attributesOf(index);
    }
    // Starts bringing the tags and values of the entity at `index` into the cache, for a read
    // soon after; nothing for an index past the last entity.
    void prefetchAttributes(std::size_t index) const {
        if (index >= index_.modelSpace.entities.size()) return;
        const std::span<const AttributeSlot> slots = attributes(index);
        if (slots.empty()) return;  // most entities: spare fetching where the bytes are
        const char* data = bytes().data();
        for (const AttributeSlot& slot : slots) {
            __builtin_prefetch(data + slot.tagBegin);
            __builtin_prefetch(data + slot.valueBegin);
        }
    }

    std::u16string attributeTag(const AttributeSlot& slot) const;
    // The value, as put since opening or as in the file.
    std::u16string attributeValue(const AttributeSlot& slot) const;
    // Replaces the value, adding the value tag when the file has none; when the attribute cannot
    // be written completely it throws and nothing changes.
    void putAttributeValue(const AttributeSlot& slot, std::u16string_view value);

    // The new content as save() writes it, piece by piece.
    void forEachPieceOfContent(const std::function<void(std::string_view)>& sink) const;
    // Writes the drawing back to its file, keeping the previous version as NAME.bak. A save that
    // would write the bytes the file already has writes nothing: no new backup, no new time. When
    // the file's name no longer leads to the file as it was read (another program saved it or put
    // another file in its place), it fails with kReplaced and writes nothing.
    void save();

private:
    Drawing(storage::FileContent content, std::filesystem::path path, FileIndex index,
            TextCodec codec);
    static Drawing fromContent(storage::FileContent content, std::filesystem::path name,
                               Reach reach = Reach::kEveryEntity);

    std::string_view bytes() const { return content_.view(); }
    std::string_view bytesOf(std::size_t begin, std::size_t end) const {
        return bytes().substr(begin, end - begin);
    }
    std::size_t valueLimit() const;
    // The claim a drawing that holds none between reads and saves takes for a save.
    storage::FileLock claimForSave() const;
    // The line end of the ASCII line that ends just before `at`.
    std::string_view lineEndBefore(std::size_t at) const;

    storage::FileContent content_;
    std::filesystem::path path_;
    FileIndex index_;
    TextCodec codec_;
    std::vector<std::u16string> wideClassNames_;  // by class id
    Patches patches_;
    Patches savedPatches_;  // the values as in the file: none until a save writes some
    Claim claim_ = Claim::kUntilClosed;
    storage::FileLock lock_;                    // empty while kWhileBusy waits
    std::optional<storage::FileStamp> onDisk_;  // the file as read or last saved
};

}  // namespace dxf
