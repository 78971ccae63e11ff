#include "ui/win32/about_box.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "base/unicode.h"
#include "ui/shared/about_box_layout.h"
#include "ui/shared/twips.h"
#include "ui/win32/win32_text.h"

namespace win32 {

namespace {

constexpr wchar_t kClassName[] = L"frmAbout";
constexpr int kFirstLabelId = 100;

std::u16string labelText(const shared::AboutLabelRow& row) { return base::utf8ToUtf16(row.text); }

// "黑体" 14.25 pt bold in the GB2312 character set, as the title was designed.
HFONT createTitleFont(UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(std::lround(shared::kTitlePointSize * dpi / 72.0));
    font.lfWeight = FW_BOLD;
    font.lfCharSet = GB2312_CHARSET;
    wcscpy_s(font.lfFaceName, L"黑体");
    return CreateFontIndirectW(&font);
}

SIZE textSize(HWND label, HFONT font) {
    const std::u16string text = windowText(label);
    SIZE size{};
    HDC dc = GetDC(label);
    const HGDIOBJ previous = SelectObject(dc, font);
    GetTextExtentPoint32W(dc, wide(text), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    ReleaseDC(label, dc);
    return size;
}

void registerClass() {
    static const bool registered = [] {
        WNDCLASSEXW type{};
        type.cbSize = sizeof type;
        type.lpfnWndProc = DefWindowProcW;  // replaced per window once it knows its object
        type.hInstance = GetModuleHandleW(nullptr);
        type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        type.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        type.lpszClassName = kClassName;
        return RegisterClassExW(&type) != 0;
    }();
    (void)registered;
}

}  // namespace

frmAbout::frmAbout(std::function<void()> closed) : closed_(std::move(closed)) {}

frmAbout::~frmAbout() {
    closed_ = nullptr;  // going with its owner, it tells nobody
    if (window_) DestroyWindow(window_);
}

void frmAbout::show() {
    if (!window_) create();
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
}

HWND frmAbout::label(const char* name) const {
    for (std::size_t i = 0; i < shared::kAboutLabels.size(); ++i) {
        if (window_ && std::strcmp(shared::kAboutLabels[i].name, name) == 0)
            return GetDlgItem(window_, kFirstLabelId + static_cast<int>(i));
    }
    return nullptr;
}

void frmAbout::create() {
    registerClass();
    const std::u16string caption = base::utf8ToUtf16(shared::kAboutCaption);
    // No owner: it stands beside the main window, not above it.
    window_ = CreateWindowExW(0, kClassName, wide(caption), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&frmAbout::procedure));
    for (std::size_t i = 0; i < shared::kAboutLabels.size(); ++i) {
        const shared::AboutLabelRow& row = shared::kAboutLabels[i];
        // Without SS_NOTIFY a label lets clicks through to the window, which closes on them.
        const DWORD style = WS_CHILD | WS_VISIBLE | (row.wraps ? SS_LEFT : SS_LEFTNOWORDWRAP);
        CreateWindowExW(0, L"STATIC", wide(labelText(row)), style, 0, 0, 0, 0, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstLabelId + i)),
                        GetModuleHandleW(nullptr), nullptr);
    }
    layOut();
    // Centred on the screen the first time and every time after.
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT own{};
    GetWindowRect(window_, &own);
    SetWindowPos(window_, nullptr, (area.left + area.right - (own.right - own.left)) / 2,
                 (area.top + area.bottom - (own.bottom - own.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmAbout::layOut() {
    const auto dpi = static_cast<int>(GetDpiForWindow(window_));
    const auto px = [dpi](int twips) { return shared::pixels(twips, dpi); };
    if (titleFont_) DeleteObject(titleFont_);
    if (uiFont_) DeleteObject(uiFont_);
    titleFont_ = createTitleFont(static_cast<UINT>(dpi));
    uiFont_ = createUiFont(static_cast<UINT>(dpi));
    SetWindowPos(window_, nullptr, 0, 0, px(shared::kAboutWidthTwips),
                 px(shared::kAboutHeightTwips), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (std::size_t i = 0; i < shared::kAboutLabels.size(); ++i) {
        const shared::AboutLabelRow& row = shared::kAboutLabels[i];
        HWND box = GetDlgItem(window_, kFirstLabelId + static_cast<int>(i));
        HFONT font = row.face == shared::Face::Title ? titleFont_ : uiFont_;
        SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        int width = px(row.width);
        int height = px(row.height);
        // The single-line labels size themselves to their text where it needs more room.
        if (!row.wraps) {
            const SIZE text = textSize(box, font);
            width = std::max(width, static_cast<int>(text.cx));
            height = std::max(height, static_cast<int>(text.cy));
        }
        SetWindowPos(box, nullptr, px(row.left), px(row.top), width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

LRESULT CALLBACK frmAbout::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<frmAbout*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->handle(message, w, l) : DefWindowProcW(window, message, w, l);
}

LRESULT frmAbout::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_CTLCOLORSTATIC: {
            const int index = GetDlgCtrlID(reinterpret_cast<HWND>(l)) - kFirstLabelId;
            const std::uint32_t rgb =
                shared::kAboutLabels.at(static_cast<std::size_t>(index)).colour;
            auto* dc = reinterpret_cast<HDC>(w);
            SetTextColor(dc, RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        // Any button closes it, over the labels too (they let clicks through to the box).
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            DestroyWindow(window_);
            return 0;
        case WM_XBUTTONUP:
            DestroyWindow(window_);
            return TRUE;  // handled: no WM_APPCOMMAND follows
        case WM_DPICHANGED:
            layOut();
            return 0;
        case WM_DESTROY: {
            SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            window_ = nullptr;
            DeleteObject(titleFont_);
            DeleteObject(uiFont_);
            titleFont_ = uiFont_ = nullptr;
            if (closed_) closed_();
            return 0;
        }
        default:
            return DefWindowProcW(window_, message, w, l);
    }
}

}  // namespace win32
