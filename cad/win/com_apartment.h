#pragma once

#include <memory>

namespace cad::automation {

// Keeps COM initialised as a single-threaded apartment on the calling thread while it lives.
// Construct it on the user-interface thread and destroy it on the same thread, after every
// automation object is released. Nesting is fine: COM counts the initialisations per thread.
// While one lives, the thread's OLE message filter is busyMessageFilter(), which waits for a busy
// CAD application.
class ComApartment {
public:
    ComApartment();  // throws cad::Error when the thread cannot join a single-threaded apartment
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

// Every automation object holds one of these, so COM stays initialised until the last of them
// has been released, whatever the program holds itself.
using SharedApartment = std::shared_ptr<const ComApartment>;

}  // namespace cad::automation
