#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "dxf/error.h"
#include "dxf/file_index.h"
#include "dxf/tag_scanner.h"

namespace testing_support {

// Every tag from `begin` as "code@begin:valueBegin-valueEnd line", and the error that ends the
// scan, with what the scanner says about where it stands after each: what the ways of finding
// lines are compared by, since each must read the same tags and stop at the same error.
inline std::vector<std::string> scanSummary(dxf::LineSearch search, std::string_view data,
                                            std::size_t begin) {
    static const std::filesystem::path kSource = "summary.dxf";  // the scanner keeps a reference
    dxf::TagScanner scanner(data, dxf::Layout::kAscii, begin, kSource, 1, search);
    std::vector<std::string> out;
    dxf::Tag tag;
    try {
        while (scanner.next(tag)) {
            out.push_back(std::to_string(tag.code) + "@" + std::to_string(tag.begin) + ":" +
                          std::to_string(tag.valueBegin) + "-" + std::to_string(tag.valueEnd) +
                          " " + std::to_string(scanner.endPosition()));
        }
        out.push_back("end " + std::to_string(scanner.endPosition()));
    } catch (const dxf::Error& error) {
        out.push_back(std::to_string(error.number()) + " " + error.what());
    }
    return out;
}

// Everything indexing `data` with `search` and `reach` finds, as text, or the error it throws:
// what the ways of finding lines are compared by, since each must index a file alike. With
// `attributedOnly`, of the entities only the block references with attributes, which is all that
// Reach::kAttributedBlockReferences promises to find alike. Paper space's entities follow model
// space's.
inline std::string indexSummary(std::string_view data, dxf::LineSearch search,
                                dxf::Reach reach = dxf::Reach::kEveryEntity,
                                bool attributedOnly = false) {
    static const std::filesystem::path kSource = "summary.dxf";  // the scanner keeps a reference
    try {
        const dxf::FileIndex index = dxf::indexFile(data, kSource, search, reach);
        std::string out = std::to_string(static_cast<int>(index.layout)) + ' ' +
                          std::to_string(index.firstTag) + ' ' + index.acadVersion + ' ' +
                          index.codePage + '\n';
        for (std::size_t i = 0; i < index.modelSpace.entities.size(); ++i) {
            const dxf::EntityDetails entity = index.modelSpace.entity(i);
            if (attributedOnly && (!entity.blockReference || entity.attributes.empty())) continue;
            if (i >= index.modelSpace.size()) out += "paper space ";
            out += std::string(entity.className) + (entity.blockReference ? " insert" : "");
            for (const dxf::AttributeSlot& slot : entity.attributes) {
                for (const std::size_t at :
                     {slot.tagBegin, slot.tagEnd, slot.valueBegin, slot.valueEnd}) {
                    out += ' ' + std::to_string(at);
                }
                out += std::string(" ") + (slot.hasTag ? 't' : '-') + (slot.hasValue ? 'v' : '-') +
                       (slot.multiline ? 'm' : '-');
            }
            out += '\n';
        }
        return out;
    } catch (const dxf::Error& error) {
        return std::string("error ") + error.what();
    }
}

}  // namespace testing_support
