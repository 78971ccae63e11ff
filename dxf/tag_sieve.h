#pragma once

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
        for (std::size_t code = 0; code < listed_.size(); ++code) {
            const bool listed = !selection || code == 0 || code >= TagSelection::kCodesListed ||
                                selection->codes[code];
            listed_[code] = listed ? 1 : 0;
        }
        if (selection) keepsWhole_ = selection->keepsWhole;
    }

    // 1 when the tag is kept, else 0; `code` is one of the four-digit codes a group-code line in
    // its usual form holds. Runs for every tag of a large file, in loops that keep
    // `inWholeObject` in a register (the tags they store could otherwise alias it): start with
    // carried(), hand back with carry(). A number to add rather than a truth to branch on, since
    // branches on which tags are kept mispredict.
    unsigned keptUsual(int code, std::string_view value, unsigned& inWholeObject) const {
        if (code == 0) inWholeObject = keepsWhole_ && keepsWhole_(trimmed(value)) ? 1 : 0;
        return listed_[static_cast<std::size_t>(code)] | inWholeObject;
    }
    // The same for any code a line may hold.
    unsigned kept(int code, std::string_view value, unsigned& inWholeObject) const {
        if (code < 0 || static_cast<std::size_t>(code) >= listed_.size()) return 1;
        return keptUsual(code, value, inWholeObject);
    }
    unsigned carried() const { return inWholeObject_; }
    void carry(unsigned inWholeObject) { inWholeObject_ = inWholeObject; }

private:
    std::array<std::uint8_t, 10000> listed_{};  // the usual codes, listed or beyond the selection
    bool (*keepsWhole_)(std::string_view type) = nullptr;
    unsigned inWholeObject_ = 1;  // the tags before the first group 0 are kept
};

}  // namespace dxf
