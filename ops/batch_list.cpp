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

// The drawings of one folder, by the entry their saves keep their previous version under: read
// once per folder, so that checking a list of a folder's drawings is not quadratic in them.
struct Neighbour {
    std::u16string path;
    std::optional<cad::DrawingFiles::EntryKey> entry;
    std::optional<cad::DrawingFiles::FileId> file;
};
using NeighboursByBackup = std::multimap<cad::DrawingFiles::EntryKey, Neighbour>;

NeighboursByBackup neighboursOf(const std::u16string& path, const cad::DrawingFiles& files) {
    NeighboursByBackup neighbours;
    for (const std::u16string& other : files.drawingsBeside(path)) {
        const auto backup = files.entryAt(files.backupPathOf(other));
        if (backup) {
            neighbours.emplace(*backup,
                               Neighbour{other, files.entryAt(other), files.fileAt(other)});
        }
    }
    return neighbours;
}

}  // namespace

BatchListError listedTwiceWithOtherValues(const std::u16string& first,
                                          const std::u16string& second) {
    return {cad::errc::kBatchListConflict, u"图形" + quoted(first) + u"和" + quoted(second) +
                                               u"是同一个文件，却要写入不同的值。" +
                                               u"没有打开任何图形，请只保留其中一行。"};
}

BatchListError listedTwiceToRestore(const std::u16string& first, const std::u16string& second) {
    return {cad::errc::kBatchListConflict, u"图形" + quoted(first) + u"和" + quoted(second) +
                                               u"是同一个文件：恢复两次等于没有恢复。" +
                                               u"没有恢复任何图形，请只列出一次。"};
}

std::vector<std::size_t> checkBatchList(const std::vector<std::u16string>& paths,
                                        const cad::DrawingFiles& files) {
    std::vector<std::size_t> firstListing(paths.size());
    std::vector<std::optional<cad::DrawingFiles::FileId>> fileOf(paths.size());
    // The first index that lists each file and each name.
    std::map<cad::DrawingFiles::FileId, std::size_t> listedFiles;
    std::map<cad::DrawingFiles::EntryKey, std::size_t> listedNames;
    for (std::size_t f = 0; f < paths.size(); ++f) {
        firstListing[f] = f;
        fileOf[f] = files.fileAt(paths[f]);
        if (fileOf[f]) firstListing[f] = listedFiles.emplace(*fileOf[f], f).first->second;
        const auto entry = files.entryAt(paths[f]);
        if (!entry) continue;
        const auto [named, first] = listedNames.emplace(*entry, f);
        // One name in a folder that takes it in any letter case is one file, even where the
        // system numbers each spelling apart (exFAT through FUSE).
        if (!first && fileOf[f]) {
            firstListing[f] = std::min(firstListing[f], firstListing[named->second]);
        }
    }

    std::map<cad::DrawingFiles::EntryKey, std::size_t> backupNames;
    std::map<cad::DrawingFiles::FileId, NeighboursByBackup> neighbours;  // by folder
    for (std::size_t f = 0; f < paths.size(); ++f) {
        // A drawing that is not there fails at its open and is never saved, so it keeps no backup.
        if (firstListing[f] != f || !fileOf[f]) continue;
        const std::u16string backup = files.backupPathOf(paths[f]);
        // A backup that is the drawing itself (a link to it) is only a name the save replaces.
        const auto backupFile = files.fileAt(backup);
        const auto sameFile = backupFile && backupFile != fileOf[f] ? listedFiles.find(*backupFile)
                                                                    : listedFiles.end();
        if (sameFile != listedFiles.end()) {
            backupIsListed(paths[f], backup, paths[sameFile->second]);
        }
        const auto backupName = files.entryAt(backup);
        if (!backupName) continue;
        const auto sameName = listedNames.find(*backupName);
        if (sameName != listedNames.end()) {
            backupIsListed(paths[f], backup, paths[sameName->second]);
        }
        const auto [earlier, first] = backupNames.emplace(*backupName, f);
        if (!first) backupIsShared(paths[earlier->second], paths[f], backup);
        // Another drawing beside it whose saves, in this run or another, keep their previous
        // version under the same name: each would replace the other's.
        const auto entry = files.entryAt(paths[f]);
        if (!entry) continue;
        auto folder = neighbours.find(entry->folder);
        if (folder == neighbours.end()) {
            folder = neighbours.emplace(entry->folder, neighboursOf(paths[f], files)).first;
        }
        const auto [from, to] = folder->second.equal_range(*backupName);
        for (auto other = from; other != to; ++other) {
            // Its own name (which another run's save may meanwhile give to a new file) is not
            // another drawing, nor is a second name of the same file.
            if (other->second.entry == entry) continue;
            if (other->second.file && other->second.file != fileOf[f]) {
                backupIsShared(paths[f], other->second.path, backup);
            }
        }
    }
    return firstListing;
}

}  // namespace ops
