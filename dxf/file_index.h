#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "dxf/model_space_index.h"
#include "dxf/tag_scanner.h"

namespace dxf {

// What one pass over a file finds: its layout, the two header variables that decide how text is
// stored, and the model-space entities with what the object model asks of them.
struct FileIndex {
    Layout layout = Layout::kAscii;
    std::size_t firstTag = 0;
    std::string acadVersion = "AC1009";  // a file without $ACADVER is R12
    std::string codePage;                // empty when the file names none
    ModelSpaceIndex modelSpace;
};

// How much of the ENTITIES section an index holds.
enum class Reach {
    kEveryEntity,
    // Only the block references with attributes, which is all that reading and writing title
    // blocks needs: they are found by searching for their attributes, and the other entities are
    // neither read nor checked. Every other section is read as for kEveryEntity.
    kAttributedBlockReferences,
};

// Checks the structure of a whole file (sections closed, EOF present) while indexing it. Throws
// dxf::Error naming `source`: not DXF, DWG, malformed, truncated. Every `search` finds the same;
// kAttributedBlockReferences finds the same block references with attributes as kEveryEntity
// wherever that accepts the file.
FileIndex indexFile(std::string_view data, const std::filesystem::path& source,
                    LineSearch search = LineSearch::kAutomatic, Reach reach = Reach::kEveryEntity);

// Throws what indexFile() throws for a file that is no DXF drawing at all, from its first bytes
// alone, so such a file is refused before it is read whole.
void checkDxfHead(std::string_view head, const std::filesystem::path& source);

}  // namespace dxf
