#include "storage/random_text.h"

#include <random>

namespace storage {

std::string randomHexDigits(int digits) {
    // Drawn from the system (getrandom, rand_s) on both, unlike a seeded engine; made once per
    // thread, as making one costs more than the few draws a name takes.
    thread_local std::random_device source;
    std::string text;
    std::random_device::result_type bits = 0;
    for (int i = 0; i < digits; ++i) {
        if (i % 8 == 0) bits = source();  // eight digits from each draw of 32 bits
        text += "0123456789abcdef"[bits & 15];
        bits >>= 4;
    }
    return text;
}

}  // namespace storage
