#include "cad/win/com_error.h"

#include <gtest/gtest.h>

#include <string>

namespace cad::automation {
namespace {

constexpr auto kFileNotFound = static_cast<HRESULT>(0x80070002);  // from ERROR_FILE_NOT_FOUND
// A number no system message table knows: the description falls back to the number.
constexpr HRESULT kPrivate = static_cast<HRESULT>(0x80040201);

constexpr char16_t kStayedBusy[] =
    u"CAD 应用程序一直忙，60 秒内没有接受调用（它可能正在打开或重新生成图形，或在等待有人回应它"
    u"的对话框）。";

HRESULT STDAPICALLTYPE fillInLater(EXCEPINFO* info) {
    info->scode = kFileNotFound;
    info->bstrDescription = SysAllocString(L"filled in later");
    return S_OK;
}

TEST(ComError, NumberAndDescriptionComeFromTheServerFirst) {
    struct Case {
        const char* name;
        HRESULT hr;
        SCODE scode;
        WORD wCode;
        const wchar_t* description;  // the server's, or none
        HRESULT number;
        std::u16string expected;  // empty: any text the system gives
    };
    const Case cases[] = {
        {"the server's scode and text", DISP_E_EXCEPTION, kFileNotFound, 0, L"找不到图形。",
         kFileNotFound, u"找不到图形。"},
        {"a wCode is a run-time error number", DISP_E_EXCEPTION, 0, 91, L"Object not set",
         static_cast<HRESULT>(0x800A005B), u"Object not set"},
        {"no code at all", DISP_E_EXCEPTION, 0, 0, L"plain", DISP_E_EXCEPTION, u"plain"},
        {"no text: the system's", DISP_E_EXCEPTION, E_ACCESSDENIED, 0, nullptr, E_ACCESSDENIED,
         u""},
        {"no text anywhere: the number", DISP_E_EXCEPTION, kPrivate, 0, nullptr, kPrivate,
         u"CAD 应用程序的自动化调用失败（错误 0x80040201）。"},
        {"not an exception: the HRESULT", DISP_E_BADINDEX, kFileNotFound, 0, L"ignored",
         DISP_E_BADINDEX, u""},
        {"busy to the end: rejected", RPC_E_CALL_REJECTED, 0, 0, nullptr, RPC_E_CALL_REJECTED,
         kStayedBusy},
        {"busy to the end: to be retried later", RPC_E_SERVERCALL_RETRYLATER, 0, 0, nullptr,
         RPC_E_SERVERCALL_RETRYLATER, kStayedBusy},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExceptionInfo info;
        info.get()->scode = c.scode;
        info.get()->wCode = c.wCode;
        if (c.description != nullptr) info.get()->bstrDescription = SysAllocString(c.description);
        const Error e = errorFromInvoke(c.hr, info);
        EXPECT_EQ(e.number(), static_cast<std::int32_t>(c.number));
        EXPECT_LT(e.number(), 0) << "failures are negative as signed 32-bit numbers";
        if (!c.expected.empty()) {
            EXPECT_EQ(e.description(), c.expected);
        }
        ASSERT_FALSE(e.description().empty());
        EXPECT_NE(e.description().back(), u'\n') << "the system's line end is trimmed";
    }
}

TEST(ComError, DeferredDetailsAreFilledInBeforeUse) {
    ExceptionInfo info;
    info.get()->pfnDeferredFillIn = fillInLater;
    const Error e = errorFromInvoke(DISP_E_EXCEPTION, info);
    EXPECT_EQ(e.number(), static_cast<std::int32_t>(kFileNotFound));
    EXPECT_EQ(e.description(), u"filled in later");
}

TEST(ComError, CheckPassesSuccessAndThrowsFailureWithItsNumber) {
    EXPECT_NO_THROW(check(S_OK));
    EXPECT_NO_THROW(check(S_FALSE)) << "S_FALSE is a success";
    try {
        check(kFileNotFound);
        FAIL() << "a failure passed";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), static_cast<std::int32_t>(kFileNotFound));
        EXPECT_FALSE(e.description().empty());
    }
}

}  // namespace
}  // namespace cad::automation
