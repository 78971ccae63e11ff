#include <windows.h>

#include "dxf/code_page.h"

namespace dxf {

namespace {

class Win32CodePage : public CodePage {
public:
    explicit Win32CodePage(UINT id) : id_(id) {}

    std::u16string decode(std::string_view bytes) const override {
        if (bytes.empty()) return {};
        // Without MB_ERR_INVALID_CHARS undefined bytes become U+FFFD.
        const int size = static_cast<int>(bytes.size());
        const int units = MultiByteToWideChar(id_, 0, bytes.data(), size, nullptr, 0);
        std::u16string out(static_cast<std::size_t>(units), u'\0');
        MultiByteToWideChar(id_, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(out.data()),
                            units);
        return out;
    }

    bool encode(std::u16string_view character, std::string& out) const override {
        char buffer[16];
        BOOL usedDefault = FALSE;
        const auto* wide = reinterpret_cast<const wchar_t*>(character.data());
        const int size = static_cast<int>(character.size());
        // Best-fit mappings would silently change the character; the caller escapes it instead.
        const int written = WideCharToMultiByte(id_, WC_NO_BEST_FIT_CHARS, wide, size, buffer,
                                                sizeof buffer, nullptr, &usedDefault);
        if (written <= 0 || usedDefault) return false;
        out.append(buffer, static_cast<std::size_t>(written));
        return true;
    }

private:
    UINT id_;
};

}  // namespace

std::unique_ptr<CodePage> CodePage::open(const CodePageInfo& info) {
    if (!IsValidCodePage(info.windowsId)) return nullptr;
    return std::make_unique<Win32CodePage>(info.windowsId);
}

}  // namespace dxf
