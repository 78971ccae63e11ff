#include "cli/drawing_paths.h"

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "base/path_name.h"
#include "base/unicode.h"
#include "cli/usage_error.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

std::vector<std::u16string> drawingsBelow(const std::u16string& operand) {
    std::vector<fs::path> found;
    std::error_code ec;
    // A subfolder that cannot be read stops the command: skipping it would leave its drawings
    // out of the batch without a word.
    fs::recursive_directory_iterator it(base::pathOf(operand), ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!hasExtension(base::nameOf(it->path()), u".dxf")) continue;
        // The entry itself: a link met inside the folder is not followed (as find and grep -r
        // do), for it may lead out of the tree to a file its owner never put in it.
        std::error_code ignored;
        const fs::file_status entry = it->symlink_status(ignored);
        if (fs::is_symlink(entry) || fs::is_directory(entry)) continue;
        // Looked at, never opened: a FIFO could keep the batch waiting for ever.
        if (!fs::is_regular_file(entry)) {
            throw UsageError(cad::errc::kNotRegularFile,
                             u"文件夹 " + operand + u" 中的 " + base::nameOf(it->path()) +
                                 u" 不是普通文件（而是管道、设备或套接字），不能作为图形处理。"
                                 u"未打开任何图形。");
        }
        found.push_back(it->path());
    }
    if (ec) {
        throw UsageError(cad::errc::kReadFault, u"无法列出文件夹 " + operand +
                                                    u" 中的图形：读取文件夹时出错（系统代码 " +
                                                    base::utf8ToUtf16(std::to_string(ec.value())) +
                                                    u"），未打开任何图形。");
    }
    std::sort(found.begin(), found.end());
    std::vector<std::u16string> drawings;
    drawings.reserve(found.size());
    std::transform(found.begin(), found.end(), std::back_inserter(drawings),
                   [](const fs::path& path) { return base::nameOf(path); });
    return drawings;
}

}  // namespace

bool hasExtension(std::u16string_view name, std::u16string_view extension) {
    if (name.size() < extension.size()) return false;
    const auto lower = [](char16_t c) {
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
    };
    return std::equal(extension.begin(), extension.end(), name.end() - extension.size(),
                      [&lower](char16_t a, char16_t b) { return lower(a) == lower(b); });
}

std::vector<std::u16string> drawingsNamed(const std::vector<std::u16string>& operands,
                                          bool recursive) {
    std::vector<std::u16string> drawings;
    for (const auto& operand : operands) {
        std::error_code ec;
        if (!fs::is_directory(base::pathOf(operand), ec)) {
            drawings.push_back(operand);
        } else if (recursive) {
            const auto below = drawingsBelow(operand);
            drawings.insert(drawings.end(), below.begin(), below.end());
        } else {
            throw UsageError(cad::errc::kInvalidArgument,
                             operand +
                                 u" 是一个文件夹；要处理其中所有的 DXF "
                                 u"图形，请加 -r。");
        }
    }
    return drawings;
}

}  // namespace cli
