#include "ui/shared/failure.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "base/hresult.h"
#include "cad/error.h"

namespace shared {
namespace {

template <typename E>
std::exception_ptr escaped(E e) {
    return std::make_exception_ptr(std::move(e));
}

TEST(DescribeFailure, GivesEveryEscapedFailureANumberAndADescription) {
    const struct {
        std::exception_ptr failure;
        std::uint32_t number;
        const char16_t* description;
    } cases[] = {
        {escaped(cad::Error(base::hresult(0x80070002), u"找不到文件 /图纸/a.dxf")), 0x80070002,
         u"找不到文件 /图纸/a.dxf"},
        {escaped(cad::objectNotSet()), 0x800A005B, nullptr},
        {escaped(std::bad_alloc()), 0x8007000E, u"内存不足，无法完成操作。"},
        {escaped(std::out_of_range("vector")), 0x80004005, u"程序内部错误：vector"},
        {escaped(42), 0x8000FFFF, u"发生了无法识别的错误。"},
    };
    for (const auto& c : cases) {
        const Failure failure = describeFailure(c.failure);
        EXPECT_EQ(static_cast<std::uint32_t>(failure.number), c.number);
        if (c.description) {
            EXPECT_EQ(failure.description, c.description);
        }
        EXPECT_FALSE(failure.description.empty());
    }
}

TEST(FailureText, ShowsTheNumberAsHresultAndSignedDecimalThenTheDescription) {
    const struct {
        std::int32_t number;
        const char16_t* expected;
    } cases[] = {
        {base::hresult(0x80070002), u"错误号 0x80070002（-2147024894）\n说明 %1"},
        {base::hresult(0x800A005B), u"错误号 0x800A005B（-2146828197）\n说明 %1"},
        {7, u"错误号 0x00000007（7）\n说明 %1"},
    };
    for (const auto& c : cases) {
        // A description that looks like a place marker stays as it is.
        EXPECT_EQ(failureText(c.number, u"说明 %1"), c.expected);
    }
}

}  // namespace
}  // namespace shared
