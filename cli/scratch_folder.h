#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace cli {

// For C libraries that write only to named files (libxlsxwriter).

// A new, empty folder of this process's own in the system's temporary folder; nothing when none
// can be made.
std::optional<std::filesystem::path> makeScratchFolder();

// The existing file or folder `path` as the C library's fopen takes it: on Windows in the ANSI
// code page, or by its short name when the code page lacks a character of it; nothing when
// neither can say it.
std::optional<std::string> fopenName(const std::filesystem::path& path);

}  // namespace cli
