#include "dxf/file_index.h"

#include <algorithm>
#include <future>
#include <system_error>

#include "base/unicode.h"
#include "dxf/entity_reader.h"
#include "dxf/error.h"
#include "dxf/group_codes.h"
#include "dxf/indexing_costs.h"
#include "dxf/layout_reader.h"
#include "dxf/object_search.h"
#include "storage/large_pages.h"

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

// Makes room for what `bytes` of a file may hold: few entities take less than 128 bytes, few
// attributes less than 256. Room made ahead, in large pages, spares the index the copies and page
// faults of growing, which on a large file cost more than reading its tags.
void makeRoom(ModelSpaceIndex& index, std::size_t bytes) {
    storage::reserveWithLargePages(index.entities, bytes / 128);
    storage::reserveWithLargePages(index.attributes, bytes / 256);
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

// The sections of a file as its tags go by: the header variables, the sections' structure, the
// parts of the paper-space layouts for `layouts`, and the ENTITIES section's tags for an entity
// reader when there is one.
class SectionWalk {
public:
    SectionWalk(FileIndex& index, const std::filesystem::path& source, LayoutReader& layouts,
                EntityReader* entities)
        : index_(index), source_(source), layouts_(layouts), entities_(entities) {}

    // Reads the tags of `scanner` until the end of the file (true) or of the data (false).
    bool walk(TagScanner& scanner);
    bool betweenSections() const { return state_ == State::kBetweenSections; }
    // Whether an ENTITIES section went by unread, for want of an entity reader.
    bool skippedEntities() const { return skippedEntities_; }
    // Goes on in the ENTITIES section, as if its tags up to here had been read.
    void resumeInEntities() {
        state_ = State::kInSection;
        section_ = "ENTITIES";
        inEntities_ = true;
        inLayoutParts_ = false;
        inBlocks_ = false;
        inHeader_ = false;
        first_ = false;
    }

private:
    FileIndex& index_;
    const std::filesystem::path& source_;
    LayoutReader& layouts_;
    EntityReader* entities_;
    enum class State {
        kBetweenSections,
        kSectionName,
        kInSection
    } state_ = State::kBetweenSections;
    std::string_view section_;
    bool inEntities_ = false;     // compared once per section, not once per tag
    bool inLayoutParts_ = false;  // TABLES, BLOCKS or OBJECTS
    bool inBlocks_ = false;
    bool inHeader_ = false;
    std::string_view headerVariable_;
    bool first_ = true;
    bool skippedEntities_ = false;
};

// Hands the tags of an ENTITIES section to `entities` up to the first that marks a section or the
// end of the file, left in `tag`; false when the data ends first. Most tags of a drawing are
// its entities': a loop of their own keeps the state of the walk out of their way and the reader
// inlined.
bool readEntities(TagScanner& scanner, EntityReader& entities, Tag& tag) {
    while (scanner.next(tag)) {
        if (tag.code == group_code::kComment) continue;
        if (tag.code == 0 && markerOf(scanner.value(tag)) != Marker::kNone) return true;
        entities.add(tag);
    }
    return false;
}

bool SectionWalk::walk(TagScanner& scanner) {
    const Position kind = scanner.binary() ? Position::kByteOffset : Position::kLine;
    const auto where = [&](const Tag& tag) -> std::uint64_t {
        // The tag just read started two lines before the scanner's next line.
        return scanner.binary() ? tag.begin : scanner.endPosition() - 1;
    };
    Tag tag;
    while (true) {
        if (state_ == State::kInSection && inEntities_ && entities_) {
            // Stops at the marker that ends the section (or misplaces one), read below.
            if (!readEntities(scanner, *entities_, tag)) return false;
        } else if (!scanner.next(tag)) {
            return false;
        } else if (tag.code == group_code::kComment) {
            continue;
        }
        const std::string_view value = scanner.value(tag);
        const Marker marker = tag.code == 0 ? markerOf(value) : Marker::kNone;
        if (first_ && marker != Marker::kSection && marker != Marker::kEndOfFile) {
            throw notDxfError(source_, false, false);
        }
        first_ = false;
        switch (state_) {
            case State::kBetweenSections:
                if (marker == Marker::kEndOfFile) {
                    layouts_.finish();
                    return true;
                }
                if (marker == Marker::kSection) {
                    state_ = State::kSectionName;
                } else if (inHeader_) {
                    // Old writers close HEADER early and put the rest of its variables after it.
                    readHeaderVariable(index_, headerVariable_, tag.code, trimmed(value));
                }
                // Other stray tags between sections are skipped, as CAD programs skip them.
                break;
            case State::kSectionName:
                if (tag.code != 2) {
                    throw malformedError(source_, kind, where(tag),
                                         u"SECTION 之后缺少段名（组码 2）");
                }
                section_ = trimmed(value);
                inEntities_ = section_ == "ENTITIES";
                skippedEntities_ = skippedEntities_ || (inEntities_ && !entities_);
                inBlocks_ = section_ == "BLOCKS";
                inLayoutParts_ = inBlocks_ || section_ == "TABLES" || section_ == "OBJECTS";
                inHeader_ = section_ == "HEADER";
                headerVariable_ = {};
                state_ = State::kInSection;
                break;
            case State::kInSection:
                if (marker == Marker::kEndSection) {
                    if (inEntities_ && entities_) entities_->finish(tag.begin);
                    if (inLayoutParts_) layouts_.finishSection(tag.begin);
                    state_ = State::kBetweenSections;
                } else if (marker != Marker::kNone) {
                    throw malformedError(
                        source_, kind, where(tag),
                        u"段“" + base::utf8ToUtf16(section_) + u"”没有以 ENDSEC 结束");
                } else if (inLayoutParts_) {
                    layouts_.add(tag, inBlocks_);
                } else if (inHeader_) {
                    readHeaderVariable(index_, headerVariable_, tag.code, trimmed(value));
                }
                break;
        }
    }
}

// Where the ENTITIES section's first tag after its name starts, and where the section itself
// starts; nothing when the file has no such section.
struct EntitiesSection {
    std::size_t at;
    std::size_t body;
};

std::optional<EntitiesSection> findEntitiesSection(std::string_view data, std::size_t from,
                                                   const std::filesystem::path& source) {
    static constexpr std::string_view kSection[] = {"SECTION"};
    while (const auto start = findObjectStart(data, from, kSection)) {
        TagScanner scanner(data, Layout::kAscii, start->at, source, 1, LineSearch::kOneAtATime);
        Tag marker, name;
        if (!scanner.next(marker) || !scanner.next(name)) return std::nullopt;
        if (name.code == 2 && trimmed(scanner.value(name)) == "ENTITIES") {
            const std::size_t newline = data.find('\n', name.valueEnd);
            if (newline == std::string_view::npos) return std::nullopt;
            return EntitiesSection{start->at, newline + 1};
        }
        from = name.begin;
    }
    return std::nullopt;
}

// The start of the top-level entity that the sub-entity starting at `at` belongs to: the nearest
// entity before it in the section from `body` that is no sub-entity itself. Steps back two lines at
// a time, as tags are pairs of lines.
std::optional<std::size_t> ownerOf(std::string_view data, std::size_t body, std::size_t at) {
    std::size_t line = at;
    while (line > body) {
        const std::size_t value = previousLine(data, line);
        const std::size_t code = previousLine(data, value);
        if (code < body || value <= code) return std::nullopt;
        if (groupCodeOfLine(lineBetween(data, code, value - 1)) == 0 &&
            !EntityReader::belongsToEntityBefore(trimmed(lineBetween(data, value, line - 1)))) {
            return code;
        }
        line = code;
    }
    return std::nullopt;
}

// Reads the entity starting at `at` with what belongs to it into `found` (model space) or
// `paperSpace`, and keeps it only when it is a block reference with attributes. Returns where the
// next top-level entity starts.
std::optional<std::size_t> readAttributedEntity(std::string_view data, std::size_t at,
                                                const std::filesystem::path& source,
                                                ModelSpaceIndex& found,
                                                std::vector<IndexedEntity>& paperSpace) {
    TagScanner scanner(data, Layout::kAscii, at, source, 1, LineSearch::kOneAtATime, &tagsRead());
    EntityReader reader(scanner.values(), found, found.entities, &paperSpace);
    const std::size_t modelBefore = found.entities.size();
    const std::size_t paperBefore = paperSpace.size();
    const auto keepAttributed = [](std::vector<IndexedEntity>& entities, std::size_t before) {
        if (entities.size() > before &&
            (!entities.back().blockReference || entities.back().attributeCount == 0)) {
            entities.pop_back();
        }
    };
    Tag tag;
    bool first = true;
    while (scanner.next(tag)) {
        if (tag.code == group_code::kComment) continue;
        if (tag.code == 0 && !first &&
            !EntityReader::belongsToEntityBefore(trimmed(scanner.value(tag)))) {
            reader.finish(tag.begin);
            keepAttributed(found.entities, modelBefore);
            keepAttributed(paperSpace, paperBefore);
            return tag.begin;
        }
        first = false;
        reader.add(tag);
    }
    return std::nullopt;
}

// Where a search for attributed entities stopped: at the ENDSEC that closes the section, or at the
// first attribute whose entity the next part reads.
struct SearchStop {
    std::size_t at = 0;
    bool sectionEnds = false;
};

// The block references with attributes of one part of the ENTITIES section starting at `body`:
// those whose entity starts from `first` on and before `until`, found by searching for ATTRIB
// rather than reading every tag. Nothing when the data ends, or another section starts, before the
// section's ENDSEC.
std::optional<SearchStop> searchAttributedPart(std::string_view data, std::size_t body,
                                               std::size_t first, std::size_t until,
                                               const std::filesystem::path& source,
                                               ModelSpaceIndex& found,
                                               std::vector<IndexedEntity>& paperSpace) {
    static constexpr std::string_view kMarkers[] = {"ATTRIB", "ENDSEC", "SECTION", "EOF"};
    std::size_t from = first;
    while (true) {
        const auto next = findObjectStart(data, from, kMarkers);
        if (!next || next->type > 1) return std::nullopt;  // cut off, or a section left open
        if (next->type == 1) return SearchStop{next->at, true};
        const auto owner = ownerOf(data, body, next->at);
        // An attribute of no entity, which readers skip, or of one the part before reads.
        if (!owner || *owner < first) {
            from = next->after;
            continue;
        }
        if (*owner >= until) return SearchStop{next->at, false};
        const auto after = readAttributedEntity(data, *owner, source, found, paperSpace);
        if (!after) return std::nullopt;
        from = *after;
    }
}

// Appends the entities of `part`, with their attributes, to those of `whole`. The entities kept are
// block references, whose class numbers are the same in every index.
void appendPart(ModelSpaceIndex& whole, std::vector<IndexedEntity>& wholePaperSpace,
                const ModelSpaceIndex& part, const std::vector<IndexedEntity>& partPaperSpace) {
    const auto offset = static_cast<std::uint32_t>(whole.attributes.size());
    whole.attributes.insert(whole.attributes.end(), part.attributes.begin(), part.attributes.end());
    const auto append = [offset](std::vector<IndexedEntity>& to,
                                 const std::vector<IndexedEntity>& from) {
        for (IndexedEntity entity : from) {
            entity.firstAttribute += offset;
            to.push_back(entity);
        }
    };
    append(whole.entities, part.entities);
    append(wholePaperSpace, partPaperSpace);
}

// The attributed entities of the ENTITIES section starting at `body`, searched for as two halves,
// the second by a thread of its own, when `search` asks for a second thread or, automatically,
// when it pays. Returns where the search stopped.
std::optional<SearchStop> searchAttributedEntities(std::string_view data, std::size_t body,
                                                   const std::filesystem::path& source,
                                                   LineSearch search, ModelSpaceIndex& found,
                                                   std::vector<IndexedEntity>& paperSpace) {
    constexpr std::size_t kWhole = std::string_view::npos;
    if (lineSearchFor(search, data.size() - body) != LineSearch::kAheadInParallel) {
        return searchAttributedPart(data, body, body, kWhole, source, found, paperSpace);
    }
    const std::size_t half = body + (data.size() - body) / 2;
    ModelSpaceIndex secondFound;
    makeRoom(secondFound, data.size() - half);
    std::vector<IndexedEntity> secondPaperSpace;
    std::future<std::optional<SearchStop>> second;
    try {
        second = std::async(std::launch::async, [&] {
            return searchAttributedPart(data, body, half, kWhole, source, secondFound,
                                        secondPaperSpace);
        });
    } catch (const std::system_error&) {
        // No thread to be had: the whole section is searched here.
        return searchAttributedPart(data, body, body, kWhole, source, found, paperSpace);
    }
    // The future waits for the second half however the first ends.
    const auto stop = searchAttributedPart(data, body, body, half, source, found, paperSpace);
    if (!stop || stop->sectionEnds) return stop;  // the section ends within the first half
    const auto secondStop = second.get();
    appendPart(found, paperSpace, secondFound, secondPaperSpace);
    return secondStop;
}

// The index of only the block references with attributes, found by searching for ATTRIB rather
// than reading every tag of the ENTITIES section; the rest of the file is read as indexFile()
// reads it. Nothing where the search cannot stand in for reading: binary files, a file without an
// ENTITIES section, and anything the search finds out of order, which indexFile() then reports.
std::optional<FileIndex> indexAttributedReferences(std::string_view data,
                                                   const std::filesystem::path& source,
                                                   LineSearch search) {
    FileIndex index;
    index.layout = layoutOf(data, source, index.firstTag);
    if (index.layout != Layout::kAscii) return std::nullopt;
    const auto entities = findEntitiesSection(data, index.firstTag, source);
    if (!entities) return std::nullopt;
    makeRoom(index.modelSpace, data.size());

    TagScanner before(data.substr(0, entities->at), index.layout, index.firstTag, source, 1,
                      LineSearch::kAutomatic, &tagsRead());
    // Fed the tags of the sections before and after the entities by two scanners, the first of
    // which ends before them: it reads their values from the whole file's bytes.
    LayoutReader layouts(TagValues(data, index.layout), index.modelSpace);
    SectionWalk sections(index, source, layouts, nullptr);
    if (sections.walk(before)) return index;  // the file ends before its entities
    if (!sections.betweenSections()) return std::nullopt;

    const auto stop = searchAttributedEntities(data, entities->body, source, search,
                                               index.modelSpace, layouts.activeLayout());
    if (!stop) return std::nullopt;

    sections.resumeInEntities();
    TagScanner rest(data, index.layout, stop->at, source, 1, LineSearch::kAutomatic, &tagsRead());
    if (!sections.walk(rest) || sections.skippedEntities()) return std::nullopt;
    return index;
}

}  // namespace

void checkDxfHead(std::string_view head, const std::filesystem::path& source) {
    std::size_t firstTag = 0;
    layoutOf(head, source, firstTag);
}

FileIndex indexFile(std::string_view data, const std::filesystem::path& source, LineSearch search,
                    Reach reach) {
    if (reach == Reach::kAttributedBlockReferences) {
        try {
            if (auto index = indexAttributedReferences(data, source, search)) {
                return std::move(*index);
            }
        } catch (const Error&) {
            // Read again in full below, which reports the fault where it lies.
        }
    }
    FileIndex index;
    index.layout = layoutOf(data, source, index.firstTag);

    TagScanner scanner(data, index.layout, index.firstTag, source, 1, search, &tagsRead());
    makeRoom(index.modelSpace, data.size());
    LayoutReader layouts(scanner.values(), index.modelSpace);
    EntityReader entities(scanner.values(), index.modelSpace, index.modelSpace.entities,
                          &layouts.activeLayout());
    SectionWalk sections(index, source, layouts, &entities);
    if (sections.walk(scanner)) return index;
    throw truncatedError(source, scanner.binary() ? Position::kByteOffset : Position::kLine,
                         scanner.endPosition());
}

}  // namespace dxf
