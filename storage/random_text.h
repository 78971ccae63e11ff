#pragma once

#include <string>

namespace storage {

// `digits` hexadecimal digits from the system's source of randomness, which no other user can
// foretell, for names that no one may take before we make them.
std::string randomHexDigits(int digits);

}  // namespace storage
