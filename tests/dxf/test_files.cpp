#include "test_files.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace dxf::test {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "zandrel-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
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

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

fs::path fixturePath(std::string_view name) { return fs::path(ZANDREL_FIXTURES_DIR) / name; }

fs::path corpusFolder() {
    const fs::path folder(ZANDREL_CORPUS_DIR);
    return fs::is_directory(folder) ? folder : fs::path();
}

fs::path copyFixture(std::string_view name, const TempFolder& folder) {
    const fs::path copy = folder / name;
    writeBytes(copy, readBytes(fixturePath(name)));
    return copy;
}

int runInChildProcess(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(body());
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 126;
}

int runWithoutPrivileges(const std::function<int()>& body) {
    if (::geteuid() != 0) return body();
    return runInChildProcess([&] {
        constexpr uid_t kNobody = 65534;
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) return 125;
        return body();
    });
}

}  // namespace dxf::test
