#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "dxf/tag_scanner.h"

namespace dxf {

// The bytes of one top-level entity of the ENTITIES section, with the ATTRIB, VERTEX and SEQEND
// entities that belong to it: [begin, end). The index also keeps where the value of the entity's
// last own subclass marker (group 100) is, since that names its class and finding it again would
// mean reading the entity once more; the range is empty when the entity has no marker.
struct EntitySpan {
    std::size_t begin;
    std::size_t end;
    std::size_t markerBegin = 0;
    std::size_t markerEnd = 0;
};

// What one pass over a file finds: its layout, the two header variables that decide how text is
// stored, and the model-space entities in file order.
struct FileIndex {
    Layout layout = Layout::kAscii;
    std::size_t firstTag = 0;
    std::string acadVersion = "AC1009";  // a file without $ACADVER is R12
    std::string codePage;                // empty when the file names none
    std::vector<EntitySpan> modelSpace;
};

// Checks the structure of a whole file (sections closed, EOF present) while indexing it. Throws
// dxf::Error naming `source`: not DXF, DWG, malformed, truncated.
FileIndex indexFile(std::string_view data, const std::filesystem::path& source);

// Throws what indexFile() throws for a file that is no DXF drawing at all, from its first bytes
// alone, so such a file is refused before it is read whole.
void checkDxfHead(std::string_view head, const std::filesystem::path& source);

}  // namespace dxf
