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

// Checks the structure of a whole file (sections closed, EOF present) while indexing it. Throws
// dxf::Error naming `source`: not DXF, DWG, malformed, truncated. Every `search` finds the same.
FileIndex indexFile(std::string_view data, const std::filesystem::path& source,
                    LineSearch search = LineSearch::kAutomatic);

// Throws what indexFile() throws for a file that is no DXF drawing at all, from its first bytes
// alone, so such a file is refused before it is read whole.
void checkDxfHead(std::string_view head, const std::filesystem::path& source);

}  // namespace dxf
