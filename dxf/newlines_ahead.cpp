#include "dxf/newlines_ahead.h"

#include <algorithm>

#include "dxf/newline_list.h"

namespace dxf {

namespace {

// Bytes looked at per refill: the list stays within the first-level cache, and choosing the
// vector code once per refill costs nothing.
constexpr std::size_t kStretch = 4096;

}  // namespace

NewlinesAhead::NewlinesAhead(std::string_view data, std::size_t from)
    : data_(data),
      unlisted_(std::min(from, data.size())),
      list_(std::make_unique_for_overwrite<std::uint32_t[]>(kStretch + kNewlineListSlack)) {}

bool NewlinesAhead::refill() {
    while (unlisted_ < data_.size()) {
        const std::string_view stretch = data_.substr(unlisted_, kStretch);
        base_ = unlisted_;
        unlisted_ += stretch.size();
        count_ = listNewlines(stretch, list_.get());
        read_ = 0;
        if (count_ > 0) return true;
    }
    return false;
}

}  // namespace dxf
