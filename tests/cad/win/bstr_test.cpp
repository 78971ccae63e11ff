#include "cad/win/bstr.h"

#include <gtest/gtest.h>

namespace cad::automation {
namespace {

TEST(Bstr, KeepsEveryCodeUnit) {
    const std::u16string texts[] = {u"", u" ", std::u16string(u"a\0b", 3), u"\U00020000 零件",
                                    std::u16string(70000, u'字')};
    for (const std::u16string& text : texts) {
        const Bstr bstr(text);
        EXPECT_EQ(SysStringLen(bstr.get()), text.size());
        EXPECT_EQ(toU16(bstr.get()), text);
    }
    EXPECT_EQ(toU16(nullptr), u"") << "a null BSTR is the empty string";
}

}  // namespace
}  // namespace cad::automation
