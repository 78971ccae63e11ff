#include "cli/input_file.h"

#include <filesystem>
#include <fstream>
#include <iostream>

#include "base/path_name.h"
#include "cli/usage_error.h"

namespace cli {

std::string readBounded(std::istream& in, const std::u16string& shownAs, std::u16string_view what) {
    std::string bytes;
    std::string chunk(std::size_t{1} << 16, '\0');
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        bytes.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kInputLimit) {
            throw UsageError(cad::errc::kInputTooLarge,
                             std::u16string(what) + u" " + shownAs +
                                 u" 超过 16 MB，不像是值文件或表格，未读取。");
        }
    }
    if (in.bad())
        throw UsageError(cad::errc::kReadFault,
                         u"无法读取" + std::u16string(what) + u" " + shownAs + u"。");
    return bytes;
}

std::string readInputFile(const std::u16string& name, std::u16string_view what) {
    if (name == u"-") return readBounded(std::cin, u"-（标准输入）", what);
    const std::filesystem::path path = base::pathOf(name);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        throw UsageError(cad::errc::kInvalidArgument,
                         std::u16string(what) + u" " + name + u" 是一个文件夹，不是文件。");
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw UsageError(cad::errc::kFileNotFound, u"无法读取" + std::u16string(what) + u" " +
                                                       name + u"：文件不存在或没有读取权限。");
    }
    return readBounded(file, name, what);
}

}  // namespace cli
