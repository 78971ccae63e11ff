#include "ui/shared/failure.h"

#include <new>

#include "base/unicode.h"
#include "cad/error.h"

namespace shared {

namespace {

using cad::errc::kFailed;
using cad::errc::kOutOfMemory;
using cad::errc::kUnexpected;

std::u16string ascii(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

Failure describeFailure(const std::exception_ptr& escaped) {
    try {
        std::rethrow_exception(escaped);
    } catch (const cad::Error& e) {
        return {e.number(), e.description()};
    } catch (const std::bad_alloc&) {
        return {kOutOfMemory, u"内存不足，无法完成操作。"};
    } catch (const std::exception& e) {
        return {kFailed, u"程序内部错误：" + base::utf8ToUtf16(e.what())};
    } catch (...) {
        return {kUnexpected, u"发生了无法识别的错误。"};
    }
}

std::u16string failureText(std::int32_t number, const std::u16string& description) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string hex(8, '0');
    auto bits = static_cast<std::uint32_t>(number);
    for (int i = 7; i >= 0; --i, bits >>= 4) hex[static_cast<std::size_t>(i)] = kHex[bits & 0xF];
    return u"错误号 0x" + ascii(hex) + u"（" + ascii(std::to_string(number)) + u"）\n" +
           description;
}

std::u16string endingReportText(const Failure& failure) {
    return u"操作未能完成，程序将结束。\n\n" + failureText(failure.number, failure.description);
}

std::u16string resultTooLongText(std::size_t length, std::int32_t limit) {
    return failureText(cad::errc::kResultTooLong,
                       u"所选文件的名称共 " + ascii(std::to_string(length)) +
                           u" 个字符，超过了上限 " + ascii(std::to_string(limit)) +
                           u" 个字符。本次选择已作废，请少选一些文件后重试。");
}

}  // namespace shared
