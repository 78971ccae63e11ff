#pragma once

#include <string>

namespace titleblock {

// The 29 text fields, addressed by field number 1..29. They are the only store of the values.
class Fields {
public:
    virtual ~Fields() = default;
    virtual std::u16string text(int field) const = 0;
    virtual void setText(int field, const std::u16string& text) = 0;
};

}  // namespace titleblock
