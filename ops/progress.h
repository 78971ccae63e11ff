#pragma once

namespace ops {

// A horizontal progress bar with a maximum and a value, set as single-precision numbers.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void setMax(float max) = 0;
    virtual void setValue(float value) = 0;
};

}  // namespace ops
