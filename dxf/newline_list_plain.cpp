// Builds without a vector library list newlines eight bytes at a time.
#include "dxf/newline_list.h"

namespace dxf {

std::size_t listNewlines(std::string_view bytes, std::uint32_t* out) {
    return listNewlinesScalar(bytes, out);
}

}  // namespace dxf
