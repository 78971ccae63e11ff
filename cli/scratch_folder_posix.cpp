#include <stdlib.h>

#include "cli/scratch_folder.h"

namespace cli {

namespace fs = std::filesystem;

std::optional<fs::path> makeScratchFolder() {
    // mkdtemp makes it ours alone (mode 0700): no one else can put a link in place of a file in it.
    std::error_code error;
    std::string pattern = (fs::temp_directory_path(error) / "zandrel-xlsx-XXXXXX").string();
    if (error || mkdtemp(pattern.data()) == nullptr) return std::nullopt;
    return fs::path(pattern);
}

std::optional<std::string> fopenName(const fs::path& path) { return path.string(); }

}  // namespace cli
