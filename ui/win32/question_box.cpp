#include "ui/win32/question_box.h"

#include "ui/win32/win32_text.h"

namespace win32 {

namespace {

// The hook of the one question on screen: a message box runs its own loop on this thread.
HHOOK questionHook = nullptr;

// Names the box's buttons as it is about to show: a message box has no buttons of our own words.
LRESULT CALLBACK nameButtons(int code, WPARAM w, LPARAM l) {
    if (code == HCBT_ACTIVATE) {
        const auto box = reinterpret_cast<HWND>(w);
        SetDlgItemTextW(box, IDOK, L"继续");
        SetDlgItemTextW(box, IDCANCEL, L"取消");
        UnhookWindowsHookEx(questionHook);
        questionHook = nullptr;
        return 0;
    }
    return CallNextHookEx(questionHook, code, w, l);
}

}  // namespace

bool askToContinue(HWND owner, const std::u16string& text) {
    questionHook = SetWindowsHookExW(WH_CBT, nameButtons, nullptr, GetCurrentThreadId());
    const int pressed = MessageBoxW(owner, wide(text), wide(productName()),
                                    MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2);
    if (questionHook) {  // the box never showed
        UnhookWindowsHookEx(questionHook);
        questionHook = nullptr;
    }
    return pressed == IDOK;
}

}  // namespace win32
