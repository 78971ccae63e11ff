#include "temp_folder.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <stdexcept>

namespace testing_support {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "zandrel 测试 XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make " + pattern);
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::vector<std::string> TempFolder::names() const {
    std::vector<std::string> names;
    std::transform(
        fs::directory_iterator(path_), fs::directory_iterator(), std::back_inserter(names),
        [](const fs::directory_entry& entry) { return entry.path().filename().string(); });
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace testing_support
