#include "dxf/newline_list.h"

#include <cstring>

namespace dxf {

namespace {

#include "dxf/newline_list_blocks.inc"

}  // namespace

std::size_t listNewlinesScalar(std::string_view bytes, std::uint32_t* out) {
    return listNewlinesByBlock(bytes, out, [](const char* block) {
        std::uint64_t mask = 0;
        for (unsigned word = 0; word < 8; ++word) {
            mask |= newlinesOfWord(block + 8 * word) << 8 * word;
        }
        return mask;
    });
}

}  // namespace dxf
