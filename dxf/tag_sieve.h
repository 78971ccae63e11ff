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
    explicit TagSieve(const TagSelection* selection)
        : listed_(selection ? selection->codes.data() : everyCode().data()),
          keepsWhole_(selection ? selection->keepsWhole : nullptr) {}

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
        if (code < 0 || static_cast<std::size_t>(code) >= TagSelection::kUsualCodes) return 1;
        return keptUsual(code, value, inWholeObject);
    }
    unsigned carried() const { return inWholeObject_; }
    void carry(unsigned inWholeObject) { inWholeObject_ = inWholeObject; }

private:
    static const std::array<std::uint8_t, TagSelection::kUsualCodes>& everyCode() {
        static const auto every = [] {
            std::array<std::uint8_t, TagSelection::kUsualCodes> all{};
            all.fill(1);
            return all;
        }();
        return every;
    }

    const std::uint8_t* listed_;  // kUsualCodes entries, 1 for a code kept wherever it is
    bool (*keepsWhole_)(std::string_view type);
    unsigned inWholeObject_ = 1;  // the tags before the first group 0 are kept
};

}  // namespace dxf
