#include "cad/win/com_error.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "base/hresult.h"
#include "cad/win/bstr.h"
#include "cad/win/busy_retry.h"

namespace cad::automation {

namespace {

std::u16string systemMessage(HRESULT hr) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const std::unique_ptr<wchar_t, decltype(&LocalFree)> owner(buffer, &LocalFree);
    if (length == 0) return {};
    std::u16string text(reinterpret_cast<const char16_t*>(buffer), length);
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) {
        text.pop_back();
    }
    return text;
}

std::u16string fallbackMessage(HRESULT hr) {
    char hex[11];
    std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(hr));
    return u"CAD 应用程序的自动化调用失败（错误 " + std::u16string(hex, hex + 10) + u"）。";
}

// A busy application's call fails only once the retries have waited their 60 s; the system's
// text ("call was rejected by callee") would not say that.
constexpr char16_t kStayedBusy[] =
    u"CAD 应用程序一直忙，60 秒内没有接受调用（它可能正在打开或重新生成图形，或在等待有人"
    u"回应它的对话框）。";

Error numbered(HRESULT hr, std::u16string description) {
    if (description.empty() && isBusy(hr)) description = kStayedBusy;
    if (description.empty()) description = systemMessage(hr);
    if (description.empty()) description = fallbackMessage(hr);
    return {static_cast<std::int32_t>(hr), std::move(description)};
}

}  // namespace

ExceptionInfo::~ExceptionInfo() {
    SysFreeString(info_.bstrSource);
    SysFreeString(info_.bstrDescription);
    SysFreeString(info_.bstrHelpFile);
}

Error errorFromHresult(HRESULT hr) { return numbered(hr, {}); }

void check(HRESULT hr) {
    if (FAILED(hr)) throw errorFromHresult(hr);
}

Error errorFromInvoke(HRESULT hr, ExceptionInfo& details) {
    if (hr != DISP_E_EXCEPTION) return numbered(hr, {});
    EXCEPINFO& info = *details.get();
    if (info.pfnDeferredFillIn != nullptr) info.pfnDeferredFillIn(&info);
    HRESULT number = hr;
    if (info.scode != 0) {
        number = info.scode;
    } else if (info.wCode != 0) {
        number = base::hresultFromRunTimeError(info.wCode);  // wCode n is run-time error n
    }
    return numbered(number, toU16(info.bstrDescription));
}

}  // namespace cad::automation
