#include "dxf/file_index.h"

#include <algorithm>

#include "base/unicode.h"
#include "dxf/entity_reader.h"
#include "dxf/error.h"
#include "dxf/group_codes.h"
#include "dxf/layout_reader.h"

namespace dxf {

namespace {

// A DWG file starts with its version: "AC1015", "AC1.50" …
bool looksLikeDwg(std::string_view data) {
    return data.size() >= 6 && data.substr(0, 2) == "AC" &&
           std::all_of(data.begin() + 2, data.begin() + 6,
                       [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

// The group-0 values that shape a file into sections, told apart by length before any bytes are
// compared: most group-0 tags name entities and objects.
enum class Marker { kNone, kSection, kEndSection, kEndOfFile };

Marker markerOf(std::string_view value) {
    value = trimmed(value);
    switch (value.size()) {
        case 3:
            return value == "EOF" ? Marker::kEndOfFile : Marker::kNone;
        case 6:
            return value == "ENDSEC" ? Marker::kEndSection : Marker::kNone;
        case 7:
            return value == "SECTION" ? Marker::kSection : Marker::kNone;
        default:
            return Marker::kNone;
    }
}

Layout layoutOf(std::string_view data, const std::filesystem::path& source, std::size_t& firstTag) {
    const auto layout = TagScanner::detect(data, firstTag);
    if (!layout) throw notDxfError(source, looksLikeDwg(data), data.empty());
    return *layout;
}

// Keeps the header variables that decide how text is stored; `variable` is the one being read.
void readHeaderVariable(FileIndex& index, std::string_view& variable, int code,
                        std::string_view value) {
    if (code == 9) {
        variable = value;
    } else if (variable == "$ACADVER" && code == 1) {
        index.acadVersion = std::string(value);
    } else if (variable == "$DWGCODEPAGE" && code == 3) {
        index.codePage = std::string(value);
    }
}

// The tags the pass reads: the sections with their names, the header variables (old writers put
// some after the header's end), and what the entity reader needs. Coordinates and most other
// values, which make up most of a file, are left out.
const TagSelection& tagsRead() {
    static const TagSelection selection = [] {
        TagSelection tags;
        for (const int code : {1, 3, 9}) tags.codes[static_cast<std::size_t>(code)] = 1;
        EntityReader::selectCodes(tags);
        tags.keepsWhole = [](std::string_view type) {
            return type == "SECTION" || type == "ENDSEC" || EntityReader::readsWhole(type) ||
                   LayoutReader::readsWhole(type);
        };
        return tags;
    }();
    return selection;
}

}  // namespace

void checkDxfHead(std::string_view head, const std::filesystem::path& source) {
    std::size_t firstTag = 0;
    layoutOf(head, source, firstTag);
}

FileIndex indexFile(std::string_view data, const std::filesystem::path& source, LineSearch search) {
    FileIndex index;
    index.layout = layoutOf(data, source, index.firstTag);

    TagScanner scanner(data, index.layout, index.firstTag, source, 1, search, &tagsRead());
    // Few entities take less than 128 bytes, few attributes less than 256. Reserving that many
    // spares the index the copies and page faults of growing; capacity never touched takes no
    // memory.
    index.modelSpace.entities.reserve(data.size() / 128);
    index.modelSpace.attributes.reserve(data.size() / 256);
    LayoutReader layouts(scanner, index.modelSpace);
    EntityReader entities(scanner, index.modelSpace, index.modelSpace.entities,
                          &layouts.activeLayout());
    const Position kind = scanner.binary() ? Position::kByteOffset : Position::kLine;
    const auto where = [&](const Tag& tag) -> std::uint64_t {
        // The tag just read started two lines before the scanner's next line.
        return scanner.binary() ? tag.begin : scanner.endPosition() - 1;
    };

    enum class State { kBetweenSections, kSectionName, kInSection } state = State::kBetweenSections;
    std::string_view section;
    bool inEntities = false;     // compared once per section, not once per tag
    bool inLayoutParts = false;  // TABLES, BLOCKS or OBJECTS
    bool inBlocks = false;
    bool inHeader = false;
    std::string_view headerVariable;
    bool first = true;
    Tag tag;
    while (scanner.next(tag)) {
        if (tag.code == group_code::kComment) continue;
        const std::string_view value = scanner.value(tag);
        const Marker marker = tag.code == 0 ? markerOf(value) : Marker::kNone;
        if (first && marker != Marker::kSection && marker != Marker::kEndOfFile) {
            throw notDxfError(source, false, false);
        }
        first = false;
        switch (state) {
            case State::kBetweenSections:
                if (marker == Marker::kEndOfFile) {
                    layouts.finish();
                    return index;
                }
                if (marker == Marker::kSection) {
                    state = State::kSectionName;
                } else if (inHeader) {
                    // Old writers close HEADER early and put the rest of its variables after it.
                    readHeaderVariable(index, headerVariable, tag.code, trimmed(value));
                }
                // Other stray tags between sections are skipped, as CAD programs skip them.
                break;
            case State::kSectionName:
                if (tag.code != 2) {
                    throw malformedError(source, kind, where(tag),
                                         u"SECTION 之后缺少段名（组码 2）");
                }
                section = trimmed(value);
                inEntities = section == "ENTITIES";
                inBlocks = section == "BLOCKS";
                inLayoutParts = inBlocks || section == "TABLES" || section == "OBJECTS";
                inHeader = section == "HEADER";
                headerVariable = {};
                state = State::kInSection;
                break;
            case State::kInSection:
                if (marker == Marker::kEndSection) {
                    if (inEntities) entities.finish(tag.begin);
                    if (inLayoutParts) layouts.finishSection(tag.begin);
                    state = State::kBetweenSections;
                } else if (marker != Marker::kNone) {
                    throw malformedError(
                        source, kind, where(tag),
                        u"段“" + base::utf8ToUtf16(section) + u"”没有以 ENDSEC 结束");
                } else if (inEntities) {
                    entities.add(tag);
                } else if (inLayoutParts) {
                    layouts.add(tag, inBlocks);
                } else if (inHeader) {
                    readHeaderVariable(index, headerVariable, tag.code, trimmed(value));
                }
                break;
        }
    }
    throw truncatedError(source, kind, scanner.endPosition());
}

}  // namespace dxf
