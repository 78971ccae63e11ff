#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace dxf {

// Hands out the offsets of the '\n' bytes of some data, in order, from an offset on. They are
// found a few kilobytes ahead with vector instructions and kept as a list, so that a tag's two
// lines cost two reads of the list and no branch that depends on how long the lines are. Never
// reads a byte past the end of the data.
class NewlinesAhead {
public:
    NewlinesAhead(std::string_view data, std::size_t from);

    // The next '\n', or the size of the data when none is left.
    std::size_t next() {
        if (read_ == count_ && !refill()) [[unlikely]] {
            return data_.size();
        }
        return base_ + list_[read_++];
    }

    // The newlines listed and not handed out yet, as offsets from base(), for reading many at a
    // time; consume() then hands out the first `count` of them.
    std::span<const std::uint32_t> listed() const { return {list_.get() + read_, count_ - read_}; }
    std::size_t base() const { return base_; }
    std::size_t listedEnd() const { return unlisted_; }  // where the listed bytes end
    void consume(std::size_t count) { read_ += count; }

private:
    // Lists the newlines of the next bytes that have any; false when none are left.
    bool refill();

    std::string_view data_;
    std::size_t unlisted_;  // where the bytes not yet looked at start
    std::size_t base_ = 0;  // what the listed offsets count from
    std::unique_ptr<std::uint32_t[]> list_;
    std::size_t count_ = 0;
    std::size_t read_ = 0;
};

}  // namespace dxf
