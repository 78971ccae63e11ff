#pragma once

#include <cstdint>
#include <string>

namespace ops {

// The flag that lets the user choose several files at once.
inline constexpr std::int32_t kAllowMultiSelect = 512;

// What the open-file dialog keeps from one use to the next. Defaults are the window's own.
struct DialogSettings {
    std::int32_t flags = 0;
    std::u16string filter = u"DWG file|*.dwg";  // "description|pattern"
    std::int32_t maxFileSize = 260;             // the longest result, in characters
    std::u16string fileName;
};

// The open-file dialog. showOpen() waits for the user and leaves the chosen name in
// settings().fileName: "" when nothing was chosen; a multiple selection of two or more files as
// the folder (ending in a path separator) and the names, each followed by U+0000 except the last;
// a single file as its full path.
class FileDialog {
public:
    virtual ~FileDialog() = default;
    DialogSettings& settings() { return settings_; }
    const DialogSettings& settings() const { return settings_; }
    virtual void showOpen() = 0;

private:
    DialogSettings settings_;
};

}  // namespace ops
