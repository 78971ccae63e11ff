#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>
#include <vector>

#include "base/code_page.h"

namespace base {

namespace {

const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

// iconv speaks bytes; UTF-16 goes through it as little-endian pairs.
std::string toLittleEndian(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

void appendLittleEndian(std::u16string& out, const char* bytes, std::size_t size) {
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                            (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
}

class IconvCodePage final : public CodePage {
public:
    IconvCodePage(iconv_t toUtf16, iconv_t fromUtf16) : toUtf16_(toUtf16), fromUtf16_(fromUtf16) {
        // iconv's JOHAB reads byte 0x5C as ₩ and its CP864 0x25 as ٪, where Windows and every
        // DXF reader see ASCII; such bytes are read as ASCII here too, so that escapes work.
        for (char16_t ascii = 1; ascii < 0x80; ++ascii) {
            const std::u16string decoded = decode(std::string(1, static_cast<char>(ascii)));
            if (decoded.size() == 1 && decoded[0] != ascii) {
                asciiLookAlikes_.emplace_back(decoded[0], ascii);
            }
        }
    }
    ~IconvCodePage() override {
        iconv_close(toUtf16_);
        iconv_close(fromUtf16_);
    }
    IconvCodePage(const IconvCodePage&) = delete;
    IconvCodePage& operator=(const IconvCodePage&) = delete;

    std::u16string decode(std::string_view bytes) const override {
        return *convert(bytes, Undefined::kReplace);
    }

    std::optional<std::u16string> decodeExactly(std::string_view bytes) const override {
        return convert(bytes, Undefined::kFail);
    }

    bool encode(std::u16string_view character, std::string& out) const override {
        std::string units = toLittleEndian(character);
        char buffer[16];
        char* in = units.data();
        std::size_t inLeft = units.size();
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        iconv(fromUtf16_, nullptr, nullptr, nullptr, nullptr);
        // A non-zero result counts conversions that were not exact: the character is missing.
        if (iconv(fromUtf16_, &in, &inLeft, &outPtr, &outLeft) != 0) return false;
        if (iconv(fromUtf16_, nullptr, nullptr, &outPtr, &outLeft) ==
            static_cast<std::size_t>(-1)) {
            return false;
        }
        const std::string_view bytes(buffer, sizeof buffer - outLeft);
        if (composed(bytes)) return false;
        out.append(bytes);
        return true;
    }

private:
    enum class Undefined { kReplace, kFail };

    // Nothing only when `undefined` is kFail and some byte sequence is undefined or cut off.
    std::optional<std::u16string> convert(std::string_view bytes, Undefined undefined) const {
        std::u16string out;
        out.reserve(bytes.size());
        iconv(toUtf16_, nullptr, nullptr, nullptr, nullptr);
        std::vector<char> buffer(bytes.size() * 4 + 16);
        auto* in = const_cast<char*>(bytes.data());  // iconv's signature; it does not write
        std::size_t inLeft = bytes.size();
        while (inLeft > 0) {
            char* outPtr = buffer.data();
            std::size_t outLeft = buffer.size();
            const std::size_t result = iconv(toUtf16_, &in, &inLeft, &outPtr, &outLeft);
            const int err = errno;
            appendLittleEndian(out, buffer.data(), buffer.size() - outLeft);
            if (result != static_cast<std::size_t>(-1)) break;
            if (err == E2BIG) continue;
            // An undefined byte (EILSEQ) or a sequence cut off at the end (EINVAL).
            if (undefined == Undefined::kFail) return std::nullopt;
            flushHeldBack(out, buffer);
            out.push_back(u'\uFFFD');
            ++in;
            --inLeft;
            iconv(toUtf16_, nullptr, nullptr, nullptr, nullptr);
        }
        flushHeldBack(out, buffer);
        for (const auto& [lookAlike, ascii] : asciiLookAlikes_)
            std::replace(out.begin(), out.end(), lookAlike, ascii);
        return out;
    }

    // CP1255 and CP1258 write some letters as a letter and a combining mark, which only a
    // composing reader such as iconv takes as one character; Windows and most readers see two.
    bool composed(std::string_view bytes) const {
        for (std::size_t size = 1; size < bytes.size(); ++size) {
            if (decode(bytes.substr(0, size)).find(u'\uFFFD') == std::u16string::npos) return true;
        }
        return false;
    }

    // CP1255 and CP1258 hold a base letter back until they see whether a combining mark follows;
    // a call without input gives it out.
    void flushHeldBack(std::u16string& out, std::vector<char>& buffer) const {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        iconv(toUtf16_, nullptr, nullptr, &outPtr, &outLeft);
        appendLittleEndian(out, buffer.data(), buffer.size() - outLeft);
    }

    iconv_t toUtf16_;
    iconv_t fromUtf16_;
    std::vector<std::pair<char16_t, char16_t>> asciiLookAlikes_;  // (read as, ASCII byte)
};

}  // namespace

std::unique_ptr<CodePage> CodePage::open(const CodePageId& id) {
    const iconv_t toUtf16 = iconv_open("UTF-16LE", id.iconv);
    if (toUtf16 == kInvalid) return nullptr;
    const iconv_t fromUtf16 = iconv_open(id.iconv, "UTF-16LE");
    if (fromUtf16 == kInvalid) {
        iconv_close(toUtf16);
        return nullptr;
    }
    return std::make_unique<IconvCodePage>(toUtf16, fromUtf16);
}

}  // namespace base
