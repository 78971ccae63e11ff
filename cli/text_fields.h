#pragma once

#include <array>
#include <string>

#include "titleblock/field_map.h"
#include "titleblock/fields.h"

namespace cli {

// The 29 fields as plain strings: the command line's form.
class TextFields : public titleblock::Fields {
public:
    std::u16string text(int field) const override { return texts_.at(index(field)); }
    void setText(int field, const std::u16string& text) override { texts_.at(index(field)) = text; }

private:
    static std::size_t index(int field) { return static_cast<std::size_t>(field - 1); }
    std::array<std::u16string, titleblock::kFieldCount> texts_;
};

}  // namespace cli
