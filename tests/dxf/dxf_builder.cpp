#include "dxf_builder.h"

#include <cstdint>
#include <cstring>

#include "dxf/group_codes.h"

namespace testing_support {

namespace {

void appendLittleEndian(std::string& out, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

std::string asciiDxf(const Tags& tags, const std::string& lineEnd) {
    std::string out;
    for (const auto& [code, value] : tags) out += std::to_string(code) + lineEnd + value + lineEnd;
    return out;
}

std::string binaryDxf(const Tags& tags, bool oneByteCodes) {
    std::string out("AutoCAD Binary DXF\r\n\x1a\0", 22);
    for (const auto& [code, value] : tags) {
        if (oneByteCodes && code < 255) {
            out.push_back(static_cast<char>(code));
        } else {
            if (oneByteCodes) out.push_back(static_cast<char>(255));
            appendLittleEndian(out, static_cast<std::uint64_t>(code), 2);
        }
        const dxf::ValueKind kind = dxf::valueKind(code);
        if (kind == dxf::ValueKind::kDouble) {
            const double number = std::stod(value);
            std::uint64_t bits = 0;
            std::memcpy(&bits, &number, sizeof bits);
            appendLittleEndian(out, bits, 8);
        } else if (kind == dxf::ValueKind::kBinaryChunk) {
            out.push_back(static_cast<char>(value.size()));
            out += value;
        } else if (dxf::fixedSize(kind) > 0) {
            appendLittleEndian(out, static_cast<std::uint64_t>(std::stoll(value)),
                               dxf::fixedSize(kind));
        } else {
            out += value;
            out.push_back('\0');
        }
    }
    return out;
}

Tags drawingTags(const std::string& version, const std::string& codePage, const Tags& entities) {
    Tags tags{{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, version}};
    if (!codePage.empty()) tags.insert(tags.end(), {{9, "$DWGCODEPAGE"}, {3, codePage}});
    tags.insert(tags.end(), {{0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}});
    tags.insert(tags.end(), entities.begin(), entities.end());
    tags.insert(tags.end(), {{0, "ENDSEC"}, {0, "EOF"}});
    return tags;
}

}  // namespace testing_support
