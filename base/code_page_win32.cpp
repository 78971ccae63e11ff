#include <windows.h>

#include <optional>

#include "base/code_page.h"

namespace base {

namespace {

class Win32CodePage final : public CodePage {
public:
    explicit Win32CodePage(UINT id) : id_(id) {}

    std::u16string decode(std::string_view bytes) const override {
        // Without MB_ERR_INVALID_CHARS undefined bytes become U+FFFD and nothing fails.
        return convert(bytes, 0).value_or(std::u16string());
    }

    std::optional<std::u16string> decodeExactly(std::string_view bytes) const override {
        return convert(bytes, MB_ERR_INVALID_CHARS);
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
    // Nothing when the conversion fails, which only MB_ERR_INVALID_CHARS in `flags` makes it do.
    std::optional<std::u16string> convert(std::string_view bytes, DWORD flags) const {
        if (bytes.empty()) return std::u16string();
        const int size = static_cast<int>(bytes.size());
        const int units = MultiByteToWideChar(id_, flags, bytes.data(), size, nullptr, 0);
        if (units <= 0) return std::nullopt;
        std::u16string out(static_cast<std::size_t>(units), u'\0');
        MultiByteToWideChar(id_, flags, bytes.data(), size, reinterpret_cast<wchar_t*>(out.data()),
                            units);
        return out;
    }

    UINT id_;
};

}  // namespace

std::unique_ptr<CodePage> CodePage::open(const CodePageId& id) {
    if (!IsValidCodePage(id.windows)) return nullptr;
    return std::make_unique<Win32CodePage>(id.windows);
}

}  // namespace base
