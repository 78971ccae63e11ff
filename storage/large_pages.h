#pragma once

#include <cstddef>
#include <vector>

namespace storage {

// Asks for large pages for the whole large pages within `bytes` from `begin`, memory not yet
// touched: a buffer of hundreds of MB in 4 KB pages costs tens of thousands of page faults, each
// of which zeroes a page, a noticeable part of reading a large file. Only advice, and only from
// four large pages on; where the system has none to give (or, as on Windows, gives them only to
// privileged programs), the buffer works as it is.
void preferLargePages(void* begin, std::size_t bytes);

// Makes room for `count` elements in an empty `list` that will grow to about that many, with
// large pages where they are to be had. Room never touched takes no memory.
template <class T>
void reserveWithLargePages(std::vector<T>& list, std::size_t count) {
    list.reserve(count);
    preferLargePages(list.data(), list.capacity() * sizeof(T));
}

}  // namespace storage
