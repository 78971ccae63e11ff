#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "dxf/tag_scanner.h"

namespace dxf {

// Tells, tag by tag in file order, whether a batch keeps a tag for a caller's TagSelection. Reading
// a tag's group code is most of the cost of leaving it out, so the sieve asks no more than the
// code, and the value of group-0 tags only.
class TagSieve {
public:
    explicit TagSieve(const TagSelection* selection) {
        for (std::size_t code = 0; code < TagSelection::kCodesListed; ++code) {
            listed_[code] = !selection || selection->codes[code] || code == 0 ? 1 : 0;
        }
        listed_.back() = 1;  // codes beyond the table
        if (selection) keepsWhole_ = selection->keepsWhole;
    }

    // Runs for every tag of a large file, in loops that keep `inWholeObject` in a register (the
    // tags they store could otherwise alias it): start with carried(), hand back with carry().
    // Bitwise rather than logical operators, since branches on which tags are kept mispredict.
    bool keeps(int code, std::string_view value, unsigned& inWholeObject) const {
        // A negative code turns into a large index, and is kept as the codes beyond the table.
        const std::size_t row =
            std::min(static_cast<std::size_t>(static_cast<unsigned>(code)), listed_.size() - 1);
        if (code == 0) inWholeObject = keepsWhole_ && keepsWhole_(trimmed(value)) ? 1 : 0;
        return (listed_[row] | inWholeObject) != 0;
    }
    unsigned carried() const { return inWholeObject_; }
    void carry(unsigned inWholeObject) { inWholeObject_ = inWholeObject; }

private:
    std::array<std::uint8_t, TagSelection::kCodesListed + 1> listed_{};
    bool (*keepsWhole_)(std::string_view type) = nullptr;
    unsigned inWholeObject_ = 1;  // the tags before the first group 0 are kept
};

}  // namespace dxf
