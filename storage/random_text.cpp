#include "storage/random_text.h"

#include <random>

namespace storage {

std::string randomHexDigits(int digits) {
    // Drawn from the system (getrandom, rand_s) on both, unlike a seeded engine.
    std::random_device source;
    std::uniform_int_distribution<int> digit(0, 15);
    std::string text;
    for (int i = 0; i < digits; ++i) text += "0123456789abcdef"[digit(source)];
    return text;
}

}  // namespace storage
