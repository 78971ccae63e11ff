#include "ui/qt/failure_text.h"

#include <gtest/gtest.h>

#include "base/hresult.h"

namespace ui {
namespace {

TEST(FailureText, ShowsTheNumberAsHresultAndSignedDecimalThenTheDescription) {
    const struct {
        std::int32_t number;
        const char* expected;
    } cases[] = {
        {base::hresult(0x80070002), "错误号 0x80070002（-2147024894）\n说明 %1"},
        {base::hresult(0x800A005B), "错误号 0x800A005B（-2146828197）\n说明 %1"},
        {7, "错误号 0x00000007（7）\n说明 %1"},
    };
    for (const auto& c : cases) {
        // A description that looks like a place marker stays as it is.
        EXPECT_EQ(failureText(c.number, QStringLiteral("说明 %1")), QString::fromUtf8(c.expected));
    }
}

}  // namespace
}  // namespace ui
