#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dxf/entity_reader.h"
#include "dxf/group_codes.h"
#include "dxf/model_space_index.h"
#include "dxf/tag_scanner.h"

namespace dxf {

// Finds the paper-space layouts of a drawing as the one pass over the file meets their parts,
// and adds their entities to a ModelSpaceIndex after model space, in the layouts' tab order. The
// active layout's entities lie in ENTITIES, marked as paper space; each other layout's in the
// block definition named *Paper_Space0, *Paper_Space1 … (BLOCKS). A LAYOUT object (OBJECTS)
// gives a layout's tab order and the handle of its block record, whose entry (TABLES) names the
// block. A file without LAYOUT objects (R12) has one layout: the marked entities.
class LayoutReader {
public:
    LayoutReader(const TagValues& values, ModelSpaceIndex& out) : values_(values), out_(out) {}

    // Where the ENTITIES section's reader puts the entities marked as paper space.
    std::vector<IndexedEntity>& activeLayout() { return blocks_[std::string(kActiveLayoutBlock)]; }

    static bool readsWhole(std::string_view type) {
        return type == "BLOCK" || type == "BLOCK_RECORD" || type == "LAYOUT";
    }
    // The next tag of the TABLES, BLOCKS or OBJECTS section (`blocks`: of BLOCKS), as
    // EntityReader::add takes them.
    void add(const Tag& tag, bool blocks) {
        if (tag.code == 0) {
            startObject(tag, blocks);
        } else if (reading_ == Reading::kBlockEntities) {
            blockEntities_->add(tag);
        } else if (reading_ != Reading::kNothing) {
            readObjectTag(tag);
        }
    }
    // The section being read ends at `end`.
    void finishSection(std::size_t end);
    // After the whole file: the layouts' entities go into the index, after model space.
    void finish();

private:
    // The active layout's block, whose name begins those of the other layouts' blocks.
    static constexpr std::string_view kActiveLayoutBlock = "*PAPER_SPACE";

    void startObject(const Tag& tag, bool blocks);
    void readObjectTag(const Tag& tag);
    void finishObject();

    TagValues values_;
    ModelSpaceIndex& out_;

    enum class Reading : std::uint8_t {
        kNothing,
        kBlockRecord,    // its handle and name
        kBlock,          // a block definition's own tags: its name
        kBlockEntities,  // the entities of a paper-space block
        kLayout,         // its tab order and block record
    };
    Reading reading_ = Reading::kNothing;

    // What the object being read says, kept until its end.
    std::string handle_;
    std::string name_;
    std::int64_t tabOrder_ = 0;
    bool inLayoutData_ = false;  // past a LAYOUT's AcDbLayout marker
    std::optional<EntityReader> blockEntities_;

    struct LayoutObject {
        std::int64_t tabOrder = 0;
        std::string blockRecord;
    };
    std::map<std::string, std::string> blockNames_;             // by block record handle
    std::map<std::string, std::vector<IndexedEntity>> blocks_;  // paper-space ones, by name
    std::vector<LayoutObject> layouts_;
};

}  // namespace dxf
