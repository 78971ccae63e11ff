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
    throw BatchListError(cad::errc::kBatchListConflict,
                         u"图形" + quoted(drawing) + u"的备份文件" + quoted(backup) +
                             u"就是同批的图形" + quoted(other) + u"：保存前者会覆盖后者。" +
                             u"没有打开任何图形，请把它们分成两批处理。");
}

[[noreturn]] void backupIsShared(const std::u16string& first, const std::u16string& second,
                                 const std::u16string& backup) {
    throw BatchListError(cad::errc::kBatchListConflict,
                         u"图形" + quoted(first) + u"和" + quoted(second) + u"的备份文件都是" +
                             quoted(backup) + u"：后保存的一个会覆盖前一个的备份。" +
                             u"没有打开任何图形，请把它们分成两批处理。");
}

}  // namespace

BatchListError listedTwiceWithOtherValues(const std::u16string& first,
                                          const std::u16string& second) {
    return {cad::errc::kBatchListConflict, u"图形" + quoted(first) + u"和" + quoted(second) +
                                               u"是同一个文件，却要写入不同的值。" +
                                               u"没有打开任何图形，请只保留其中一行。"};
}

std::vector<std::size_t> checkBatchList(const std::vector<std::u16string>& FileList,
                                        std::int32_t FileCount, const cad::DrawingFiles& files) {
    const std::size_t last = std::min<std::size_t>(static_cast<std::size_t>(std::max(FileCount, 0)),
                                                   FileList.empty() ? 0 : FileList.size() - 1);
    std::vector<std::size_t> repeated(last + 1, 0);
    std::vector<std::optional<cad::DrawingFiles::FileId>> fileOf(last + 1);
    // The first index that lists each file and each name.
    std::map<cad::DrawingFiles::FileId, std::size_t> listedFiles;
    std::map<cad::DrawingFiles::EntryKey, std::size_t> listedNames;
    for (std::size_t f = 1; f <= last; ++f) {
        fileOf[f] = files.fileAt(FileList[f]);
        if (fileOf[f]) {
            const auto [listed, first] = listedFiles.emplace(*fileOf[f], f);
            if (!first) repeated[f] = listed->second;
        }
        if (const auto entry = files.entryAt(FileList[f])) listedNames.emplace(*entry, f);
    }

    std::map<cad::DrawingFiles::EntryKey, std::size_t> backupNames;
    for (std::size_t f = 1; f <= last; ++f) {
        // A drawing that is not there fails at its open and is never saved, so it keeps no backup.
        if (repeated[f] != 0 || !fileOf[f]) continue;
        const std::u16string backup = files.backupPathOf(FileList[f]);
        // A backup that is the drawing itself (a link to it) is only a name the save replaces.
        const auto backupFile = files.fileAt(backup);
        const auto sameFile = backupFile && backupFile != fileOf[f] ? listedFiles.find(*backupFile)
                                                                    : listedFiles.end();
        if (sameFile != listedFiles.end()) {
            backupIsListed(FileList[f], backup, FileList[sameFile->second]);
        }
        const auto backupName = files.entryAt(backup);
        if (!backupName) continue;
        const auto sameName = listedNames.find(*backupName);
        if (sameName != listedNames.end()) {
            backupIsListed(FileList[f], backup, FileList[sameName->second]);
        }
        const auto [earlier, first] = backupNames.emplace(*backupName, f);
        if (!first) backupIsShared(FileList[earlier->second], FileList[f], backup);
    }
    return repeated;
}

}  // namespace ops
