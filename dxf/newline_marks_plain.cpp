// Builds without a vector library mark newlines eight bytes at a time.
#include "dxf/newline_marks.h"

namespace dxf {

void markNewlines(std::string_view bytes, std::uint64_t* marks) {
    markNewlinesScalar(bytes, marks);
}

}  // namespace dxf
