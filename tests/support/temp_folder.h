#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// A new, empty folder whose name holds a space and Chinese, as users' folders do; it is removed
// with everything in it (read-only entries too) when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Where a path is asked for, the folder's.
    operator const std::filesystem::path&() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }
    // The names of the entries in the folder, sorted.
    std::vector<std::string> names() const;

private:
    std::filesystem::path path_;
};

}  // namespace testing_support
