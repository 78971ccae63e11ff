#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Files for the drawing tests: a fresh folder per test, the committed fixtures and the corpus of
// drawings from other programs.
namespace dxf::test {

// A new, empty folder that is removed with everything in it when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }
    // The names of the files in the folder, sorted.
    std::vector<std::string> names() const;

private:
    std::filesystem::path path_;
};

std::string readBytes(const std::filesystem::path& path);
void writeBytes(const std::filesystem::path& path, std::string_view bytes);

std::filesystem::path fixturePath(std::string_view name);
// The corpus folder, or an empty path when this checkout has none.
std::filesystem::path corpusFolder();

// Copies a fixture into `folder` and returns the copy's path.
std::filesystem::path copyFixture(std::string_view name, const TempFolder& folder);

// Runs `body` in a child process and returns its exit status (126 when it did not exit).
int runInChildProcess(const std::function<int()>& body);

// Runs `body` where file permissions apply: in a child process that gave up root's privileges
// when the tests run as root, in place otherwise. Returns what `body` returned.
int runWithoutPrivileges(const std::function<int()>& body);

}  // namespace dxf::test
