// Builds without a vector library list newlines eight bytes at a time.
#include "dxf/newline_list.h"

namespace dxf {

std::vector<NewlineLister> availableNewlineListers() { return {{"scalar", listNewlinesScalar}}; }

std::size_t listNewlines(std::string_view bytes, std::uint32_t* out) {
    return listNewlinesScalar(bytes, out);
}

}  // namespace dxf
