#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cad {

// What a batch must know of the files behind its list before it opens any drawing: which paths
// lead to one file, and where saving each drawing keeps its previous version; and the way back to
// that version. The backend that saves answers, since it decides where the backup goes.
class DrawingFiles {
public:
    // One file, however it is reached (links included), as the system numbers it.
    struct FileId {
        std::uint64_t device = 0;
        std::uint64_t index = 0;
        auto operator<=>(const FileId&) const = default;
    };
    // One name in one folder: two paths whose names the folder takes as one (letter case aside
    // where the folder ignores it) have equal keys, whether or not a file has that name yet.
    struct EntryKey {
        FileId folder;
        std::u16string name;
        auto operator<=>(const EntryKey&) const = default;
    };

    virtual ~DrawingFiles() = default;
    // The file `path` leads to; nullopt when it leads to none.
    virtual std::optional<FileId> fileAt(const std::u16string& path) const = 0;
    // The entry `path` names; nullopt when its folder does not exist.
    virtual std::optional<EntryKey> entryAt(const std::u16string& path) const = 0;
    // Where saving the drawing at `path` keeps its previous version.
    virtual std::u16string backupPathOf(const std::u16string& path) const = 0;
    // The drawings (*.dxf, *.dwg, in any letter case) in the folder of `path`, each as a path
    // beside it, `path` itself among them when it is there. A backend that cannot list folders
    // gives none.
    virtual std::vector<std::u16string> drawingsBeside(const std::u16string& path) const {
        static_cast<void>(path);
        return {};
    }
    // Throws cad::Error as saving the drawing at `path` would, where that would fail for want of
    // the right to write (a read-only file, folder or disk), writing nothing: what a dry run
    // reports instead of a save. A backend that cannot tell lets every drawing pass.
    virtual void ensureSavable(const std::u16string& path) const { static_cast<void>(path); }
    // Undoes the last save of the drawing at `path`: it trades places with its backup, so that a
    // second call redoes the save. Throws cad::Error, with nothing changed, when there is no
    // backup or the exchange fails.
    virtual void restoreLastSave(const std::u16string& path) const = 0;
};

}  // namespace cad
