#include "ui/win32/open_file_dialog.h"

#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdint>

#include "ops/file_list.h"
#include "ui/shared/failure.h"
#include "ui/shared/file_filter.h"
#include "ui/win32/win32_text.h"

namespace win32 {

namespace {

constexpr char16_t kNul = u'\0';
// Room the buffer has beyond the limit the dialog is told. Wine's dialog writes a multiple
// selection whole, however long, and reports success: the room takes it, and the length is then
// checked here.
constexpr std::size_t kRoomBeyondLimit = std::size_t{1} << 20;

void warnTooLong(HWND owner, std::size_t length, std::int32_t limit) {
    const std::u16string text = shared::resultTooLongText(length, limit);
    MessageBoxW(owner, wide(text), wide(productName()), MB_OK | MB_ICONWARNING);
}

}  // namespace

std::u16string win32Filter(const std::u16string& filter, bool listDxfForDwg) {
    std::u16string result;
    for (const shared::FilterEntry& entry : shared::filterEntries(filter, listDxfForDwg)) {
        result += entry.description + kNul;
        for (std::size_t i = 0; i < entry.patterns.size(); ++i)
            result += (i ? u";" : u"") + entry.patterns[i];
        result += kNul;
    }
    return result + kNul;
}

std::u16string selectionResult(const std::u16string& buffer, std::size_t nameOffset) {
    if (nameOffset == 0 || nameOffset > buffer.size()) return {};
    const auto tokenAt = [&buffer](std::size_t start) {
        return buffer.substr(start, buffer.find(kNul, start) - start);
    };
    // One file: the offset is that of its name within the path. Several: the folder alone comes
    // first, ended by U+0000, and the names follow, the last one ended by two.
    if (buffer[nameOffset - 1] != kNul)
        return ops::joinSelection(buffer.substr(0, nameOffset), {tokenAt(nameOffset)});
    std::u16string folder = buffer.substr(0, nameOffset - 1);
    if (folder.empty() || folder.back() != u'\\') folder += u'\\';
    std::vector<std::u16string> names;
    for (std::size_t start = nameOffset; start < buffer.size() && buffer[start] != kNul;) {
        names.push_back(tokenAt(start));
        start += names.back().size() + 1;
    }
    return ops::joinSelection(folder, names);
}

OpenFileDialog::OpenFileDialog(HWND owner, std::function<bool()> listDxfForDwg)
    : owner_(owner), listDxfForDwg_(std::move(listDxfForDwg)) {}

void OpenFileDialog::showOpen() {
    ops::DialogSettings& s = settings();
    const std::u16string filter = win32Filter(s.filter, listDxfForDwg_());
    const auto size = static_cast<std::size_t>(std::max(s.maxFileSize, 2));
    std::u16string buffer(size + kRoomBeyondLimit, kNul);
    // Open where the last choice was made: at that file, or in the folder of several.
    const std::u16string previous(ops::firstToken(s.fileName));
    std::u16string folder;
    if (!previous.empty() && previous.back() == u'\\') {
        folder = previous;
    } else if (previous.size() < size) {
        buffer.replace(0, previous.size(), previous);
    }

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = wide(filter);
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = reinterpret_cast<wchar_t*>(buffer.data());
    dialog.nMaxFile = static_cast<DWORD>(size);
    dialog.lpstrInitialDir = folder.empty() ? nullptr : wide(folder);
    dialog.Flags = static_cast<DWORD>(s.flags) | OFN_EXPLORER;

    if (GetOpenFileNameW(&dialog)) {
        // Without its closing pair of U+0000 the result ran past even the room: too long.
        const bool whole = buffer.find(u"\0\0", 0, 2) != std::u16string::npos;
        std::u16string result = selectionResult(buffer, dialog.nFileOffset);
        if (whole && result.size() <= static_cast<std::size_t>(s.maxFileSize)) {
            s.fileName = std::move(result);
            return;
        }
        s.fileName.clear();
        warnTooLong(owner_, whole ? result.size() : buffer.size(), s.maxFileSize);
        return;
    }
    s.fileName.clear();
    // The first character then holds the length the names would have needed.
    if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
        warnTooLong(owner_, buffer[0], s.maxFileSize);
}

}  // namespace win32
