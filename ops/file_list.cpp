#include "ops/file_list.h"

#include "cad/error.h"

namespace ops {

std::u16string joinSelection(const std::u16string& folder,
                             const std::vector<std::u16string>& names) {
    if (names.size() < 2) return names.empty() ? std::u16string() : folder + names[0];
    std::u16string selection = folder;
    for (const std::u16string& name : names) {
        selection += kFileSeparator;
        selection += name;
    }
    return selection;
}

std::u16string_view firstToken(std::u16string_view selection) {
    return selection.substr(0, selection.find(kFileSeparator));
}

void parseFileList(std::u16string_view S, std::vector<std::u16string>& FileList,
                   std::int32_t& FileCount) {
    std::size_t start = 0;
    std::int32_t k = 0;
    for (std::size_t p = S.find(kFileSeparator, start); p != std::u16string_view::npos;
         p = S.find(kFileSeparator, start)) {
        FileList.resize(static_cast<std::size_t>(k) + 1);
        std::u16string token(S.substr(start, p - start));
        FileList[static_cast<std::size_t>(k)] = k >= 1 ? FileList[0] + token : std::move(token);
        start = p + 1;
        ++k;
    }
    if (k != 1) {
        FileCount = k - 1;
    } else {
        FileList.resize(2);
        FileList[1] = FileList[0];
        FileCount = 1;
    }
}

std::vector<std::u16string> chosenPaths(const std::vector<std::u16string>& FileList,
                                        std::int32_t FileCount) {
    if (FileCount <= 0) return {};
    if (static_cast<std::size_t>(FileCount) >= FileList.size()) {
        throw cad::Error(cad::errc::kBadIndex, u"文件列表下标越界：文件数大于文件列表中的路径数。");
    }
    return {FileList.begin() + 1, FileList.begin() + 1 + FileCount};
}

bool selectFiles(FileDialog& dialog, std::vector<std::u16string>& FileList,
                 std::int32_t& FileCount) {
    DialogSettings& settings = dialog.settings();
    settings.flags = kAllowMultiSelect;
    settings.filter = u"DWG Files|*.DWG";
    settings.maxFileSize = 10000;
    dialog.showOpen();

    if (settings.fileName.empty()) {
        FileCount = 0;
        return false;
    }
    settings.fileName.push_back(kFileSeparator);
    parseFileList(settings.fileName, FileList, FileCount);
    return true;
}

}  // namespace ops
