#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "dxf/file_index.h"
#include "dxf/tag_scanner.h"

namespace dxf {

// Where one ATTRIB keeps its tag (group 2) and its value (group 1) in the file.
struct AttributeSlot {
    bool hasTag = false;  // a file may leave group 2 out
    std::size_t tagBegin = 0;
    std::size_t tagEnd = 0;
    std::size_t valueBegin = 0;  // without group 1: both where a new value tag goes
    std::size_t valueEnd = 0;
    bool hasValue = false;   // a file may leave group 1 out
    bool multiline = false;  // carries an embedded MTEXT, which holds the text as well
};

// What the object model asks of one model-space entity.
struct EntityDetails {
    std::string className;                  // the AcDb class, e.g. "AcDbBlockReference"
    bool blockReference = false;            // an INSERT, multi-insert or not
    std::vector<AttributeSlot> attributes;  // the ATTRIB entities up to its SEQEND
};

// Reads one entity that indexFile() has already checked, so it cannot fail.
EntityDetails readEntity(std::string_view data, Layout layout, const EntitySpan& span,
                         const std::filesystem::path& source);

}  // namespace dxf
