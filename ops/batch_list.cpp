#include "ops/batch_list.h"

#include <algorithm>
#include <map>
#include <optional>

#include "base/unicode.h"

namespace ops {

namespace {

std::u16string quoted(const std::u16string& path) { return u"“" + base::visibleName(path) + u"”"; }

[[noreturn]] void backupIsListed(const std::u16string& drawing, const std::u16string& backup,
                                 const std::u16string& other) {
    throw BatchListError(kBatchListConflict, u"图形" + quoted(drawing) + u"的备份文件" +
                                                 quoted(backup) + u"就是同批的图形" +
                                                 quoted(other) + u"：保存前者会覆盖后者。" +
                                                 u"没有打开任何图形，请把它们分成两批处理。");
}

[[noreturn]] void backupIsShared(const std::u16string& first, const std::u16string& second,
                                 const std::u16string& backup) {
    throw BatchListError(kBatchListConflict, u"图形" + quoted(first) + u"和" + quoted(second) +
                                                 u"的备份文件都是" + quoted(backup) +
                                                 u"：后保存的一个会覆盖前一个的备份。" +
                                                 u"没有打开任何图形，请把它们分成两批处理。");
}

}  // namespace

std::vector<bool> checkBatchList(const std::vector<std::u16string>& FileList,
                                 std::int32_t FileCount, const cad::DrawingFiles& files) {
    const std::size_t last = std::min<std::size_t>(static_cast<std::size_t>(std::max(FileCount, 0)),
                                                   FileList.empty() ? 0 : FileList.size() - 1);
    std::vector<bool> repeated(last + 1, false);
    // The first index that lists each file and each name.
    std::map<cad::DrawingFiles::FileId, std::size_t> listedFiles;
    std::map<cad::DrawingFiles::EntryKey, std::size_t> listedNames;
    for (std::size_t f = 1; f <= last; ++f) {
        if (const auto file = files.fileAt(FileList[f])) {
            repeated[f] = !listedFiles.emplace(*file, f).second;
        }
        if (const auto entry = files.entryAt(FileList[f])) listedNames.emplace(*entry, f);
    }

    std::map<cad::DrawingFiles::EntryKey, std::size_t> backupNames;
    for (std::size_t f = 1; f <= last; ++f) {
        if (repeated[f]) continue;
        const std::u16string backup = files.backupPathOf(FileList[f]);
        const auto file = files.fileAt(FileList[f]);
        const auto backupFile = files.fileAt(backup);
        if (backupFile && backupFile != file) {
            const auto listed = listedFiles.find(*backupFile);
            if (listed != listedFiles.end())
                backupIsListed(FileList[f], backup, FileList[listed->second]);
        }
        const auto backupName = files.entryAt(backup);
        if (!backupName) continue;
        const auto listed = listedNames.find(*backupName);
        if (listed != listedNames.end())
            backupIsListed(FileList[f], backup, FileList[listed->second]);
        const auto [earlier, first] = backupNames.emplace(*backupName, f);
        if (!first) backupIsShared(FileList[earlier->second], FileList[f], backup);
    }
    return repeated;
}

}  // namespace ops
