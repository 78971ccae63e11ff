#include "folder_snapshot.h"

#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

namespace testing_support {

namespace fs = std::filesystem;

namespace {

// An unreadable file (a test may remove every permission) still has a description.
std::string contentOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::ostringstream text;
    text << bytes.size() << " bytes #" << std::hex << std::hash<std::string>{}(bytes);
    return text.str();
}

std::string describe(const fs::directory_entry& entry) {
    const fs::file_status status = entry.symlink_status();
    std::ostringstream text;
    text << std::oct << static_cast<unsigned>(status.permissions()) << ' ';
    switch (status.type()) {
        case fs::file_type::regular:
            text << "file " << contentOf(entry.path());  // only files are read: a FIFO would block
            break;
        case fs::file_type::symlink:
            text << "link to " << fs::read_symlink(entry.path()).string();
            break;
        case fs::file_type::directory:
            text << "folder";
            break;
        default:
            text << "other " << static_cast<int>(status.type());
    }
    return text.str();
}

}  // namespace

FolderSnapshot snapshotOf(const fs::path& folder) {
    FolderSnapshot snapshot;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        snapshot[entry.path().lexically_relative(folder).string()] = describe(entry);
    }
    return snapshot;
}

}  // namespace testing_support
