// Linked into a test-only build of zandrel-cli with the file-system calls interposed
// (tests/storage/interposer.h): where ZANDREL_PAUSE_PIPE names a FIFO, the program stops at the
// first call of a save that gives a file a name, opens the FIFO and goes on once a byte arrives,
// so that a test can act on the drawing's folder at that moment. A test that opens the FIFO for
// writing is let through once the program waits.

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "interposer.h"

namespace {

void waitForTheTest(const char* pipe) {
    const int fd = ::open(pipe, O_RDONLY | O_CLOEXEC);
    char byte = 0;
    if (fd >= 0 && ::read(fd, &byte, 1) >= 0) ::close(fd);
}

const bool armed = [] {
    const char* pipe = std::getenv("ZANDREL_PAUSE_PIPE");
    if (pipe == nullptr) return false;
    interposer::arm(
        {1, interposer::Plan::Act::kRun, 0, [pipe] { waitForTheTest(pipe); }, false, "name"});
    return true;
}();

}  // namespace
