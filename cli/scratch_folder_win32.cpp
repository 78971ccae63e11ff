#include <windows.h>

#include <random>

#include "base/code_page.h"
#include "base/unicode.h"
#include "cli/scratch_folder.h"

namespace cli {

namespace fs = std::filesystem;

namespace {

constexpr int kAttempts = 16;

std::optional<std::string> inAnsiCodePage(std::u16string_view name) {
    // Where the user chose UTF-8 as the ANSI code page, every name is said.
    if (GetACP() == CP_UTF8) return base::utf16ToUtf8(name);
    const auto ansi = base::CodePage::open({GetACP(), ""});
    if (!ansi) return std::nullopt;
    std::string bytes;
    // One unit at a time: no ANSI code page has the characters surrogate pairs make.
    for (const char16_t unit : name) {
        if (!ansi->encode(std::u16string_view(&unit, 1), bytes)) return std::nullopt;
    }
    return bytes;
}

}  // namespace

std::optional<fs::path> makeScratchFolder() {
    // The temporary folder GetTempPathW names is the user's own, so a fresh name is enough;
    // CreateDirectoryW fails rather than take a folder that is there already.
    std::error_code error;
    const fs::path temporary = fs::temp_directory_path(error);
    if (error) return std::nullopt;
    std::random_device random;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const fs::path folder = temporary / ("zandrel-xlsx-" + std::to_string(random()));
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::string> fopenName(const fs::path& path) {
    if (auto name = inAnsiCodePage(path.u16string())) return name;
    // A user name the code page lacks: short names are ASCII, where the volume keeps them.
    std::wstring shortName(MAX_PATH, L'\0');
    const DWORD size = GetShortPathNameW(path.c_str(), shortName.data(), MAX_PATH);
    if (size == 0 || size >= MAX_PATH) return std::nullopt;
    shortName.resize(size);
    return inAnsiCodePage(fs::path(shortName).u16string());
}

}  // namespace cli
