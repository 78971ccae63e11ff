#include "ui/win32/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "base/unicode.h"
#include "ui/shared/main_window_layout.h"
#include "ui/shared/twips.h"
#include "ui/win32/question_box.h"
#include "ui/win32/win32_text.h"

namespace win32 {

namespace {

using shared::ControlKind;
using shared::ControlRow;
using shared::kMainWindowLayout;

constexpr wchar_t kClassName[] = L"frmTolm";
constexpr int kFirstControlId = 1000;
constexpr int kPointingHandIcon = 1;  // the icon resource
// A fixed form: a title bar with the caption, minimise and close, but nothing to resize.
constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

const wchar_t* controlClass(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            return L"STATIC";
        case ControlKind::HeaderField:
        case ControlKind::GridField:
            return L"EDIT";
        case ControlKind::Button:
            return L"BUTTON";
        case ControlKind::ProgressBar:
            return PROGRESS_CLASSW;
        case ControlKind::Line:
            break;
    }
    return nullptr;
}

DWORD controlStyle(ControlKind kind) {
    const DWORD child = WS_CHILD | WS_VISIBLE;
    switch (kind) {
        case ControlKind::Label:
            return child | SS_LEFTNOWORDWRAP;
        case ControlKind::HeaderField:
        case ControlKind::GridField:
            return child | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
        case ControlKind::Button:
            return child | WS_TABSTOP | BS_PUSHBUTTON;
        case ControlKind::ProgressBar:
            return child;
        case ControlKind::Line:
            break;
    }
    return 0;
}

// The header fields keep the standard sunken text-box border; the grid fields sit borderless in
// their cells.
DWORD controlExStyle(ControlKind kind) {
    return kind == ControlKind::HeaderField ? WS_EX_CLIENTEDGE : 0;
}

HICON loadIcon(int size) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                         MAKEINTRESOURCEW(kPointingHandIcon), IMAGE_ICON, size,
                                         size, LR_DEFAULTCOLOR));
}

// The rows in TabIndex order, lines left out: creating the controls in that order makes it the
// order the focus follows.
std::multimap<int, std::size_t> rowsByTabIndex() {
    std::multimap<int, std::size_t> rows;
    for (std::size_t i = 0; i < kMainWindowLayout.size(); ++i) {
        if (kMainWindowLayout[i].kind != ControlKind::Line)
            rows.emplace(kMainWindowLayout[i].tabIndex, i);
    }
    return rows;
}

}  // namespace

int controlId(const char* name) {
    for (std::size_t i = 0; i < kMainWindowLayout.size(); ++i) {
        if (std::strcmp(kMainWindowLayout[i].name, name) == 0)
            return kFirstControlId + static_cast<int>(i);
    }
    return 0;
}

HWND frmTolm::createFrame() {
    static const bool registered = [] {
        WNDCLASSEXW type{};
        type.cbSize = sizeof type;
        type.lpfnWndProc = DefWindowProcW;  // replaced once the window knows its object
        type.hInstance = GetModuleHandleW(nullptr);
        type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        type.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        type.hIcon = loadIcon(GetSystemMetrics(SM_CXICON));
        type.hIconSm = loadIcon(GetSystemMetrics(SM_CXSMICON));
        type.lpszClassName = kClassName;
        return RegisterClassExW(&type) != 0;
    }();
    (void)registered;
    return CreateWindowExW(0, kClassName, L"工艺相关栏目填写", kFrameStyle, CW_USEDEFAULT,
                           CW_USEDEFAULT, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

frmTolm::frmTolm(std::unique_ptr<cad::Connector> connector,
                 std::unique_ptr<cad::DrawingFiles> files, std::function<bool()> engineStandsIn,
                 End end)
    : controller_(*this, std::move(connector), std::move(files)),
      end_(std::move(end)),
      window_(createFrame()),
      CommonDialog1(window_, std::move(engineStandsIn)),
      about_([this] { aboutClosed(); }) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&frmTolm::procedure));
    buildControls();
    layOut();
    controller_.startUp();
}

frmTolm::~frmTolm() {
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    if (font_) DeleteObject(font_);
}

void frmTolm::buildControls() {
    for (const auto& [tabIndex, row] : rowsByTabIndex()) {
        const ControlRow& r = kMainWindowLayout[row];
        const std::u16string caption = base::utf8ToUtf16(r.caption);
        HWND created = CreateWindowExW(
            controlExStyle(r.kind), controlClass(r.kind), wide(caption), controlStyle(r.kind), 0, 0,
            0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + row)),
            GetModuleHandleW(nullptr), nullptr);
        // A field holds text of any length.
        if (r.kind == ControlKind::HeaderField || r.kind == ControlKind::GridField)
            SendMessageW(created, EM_SETLIMITTEXT, 0, 0);
    }
    for (int field = 1; field <= titleblock::kFieldCount; ++field) {
        fields_.at(static_cast<std::size_t>(field - 1)) =
            control(("Text" + std::to_string(field)).c_str());
    }
    ProgressBar1 = std::make_unique<ProgressBar>(control("ProgressBar1"));
    focused_ = control("OKButton");
}

void frmTolm::layOut() {
    const auto dpi = static_cast<int>(GetDpiForWindow(window_));
    const auto px = [dpi](int twips) { return shared::pixels(twips, dpi); };
    if (font_) DeleteObject(font_);
    font_ = createUiFont(static_cast<UINT>(dpi));
    for (std::size_t i = 0; i < kMainWindowLayout.size(); ++i) {
        const ControlRow& row = kMainWindowLayout[i];
        if (row.kind == ControlKind::Line) continue;
        HWND child = GetDlgItem(window_, kFirstControlId + static_cast<int>(i));
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        SetWindowPos(child, nullptr, px(row.twips[0]), px(row.twips[1]), px(row.twips[2]),
                     px(row.twips[3]), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT frame{0, 0, px(shared::kClientWidthTwips), px(shared::kClientHeightTwips)};
    AdjustWindowRectExForDpi(&frame, kFrameStyle, FALSE, 0, static_cast<UINT>(dpi));
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window_, nullptr, TRUE);
}

void frmTolm::show() {
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    SetFocus(focused_);
}

HWND frmTolm::control(const char* name) const {
    const int id = controlId(name);
    return id ? GetDlgItem(window_, id) : nullptr;
}

std::u16string frmTolm::text(int field) const {
    return windowText(fields_.at(static_cast<std::size_t>(field - 1)));
}

void frmTolm::setText(int field, const std::u16string& text) {
    HWND box = fields_.at(static_cast<std::size_t>(field - 1));
    SetWindowTextW(box, wide(text));
    // A value longer than its box shows from its start, not scrolled to its end.
    SendMessageW(box, EM_SETSEL, 0, 0);
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

bool frmTolm::preTranslate(MSG& message) const {
    if (!window_) return false;
    if ((message.message == WM_KEYDOWN || message.message == WM_CHAR) &&
        (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE)) {
        return false;
    }
    return IsDialogMessageW(window_, &message) != FALSE;
}

// Each line is one pixel wide and reaches both its ends, so the grid's corners close.
void frmTolm::paintLines(HDC dc) const {
    const auto dpi = static_cast<int>(GetDpiForWindow(window_));
    const auto px = [dpi](int twips) { return shared::pixels(twips, dpi); };
    HBRUSH ink = GetSysColorBrush(COLOR_WINDOWTEXT);
    for (const ControlRow& row : kMainWindowLayout) {
        if (row.kind != ControlKind::Line) continue;
        const int x1 = px(row.twips[0]), y1 = px(row.twips[1]);
        const int x2 = px(row.twips[2]), y2 = px(row.twips[3]);
        const RECT line{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1,
                        std::max(y1, y2) + 1};
        FillRect(dc, &line, ink);
    }
}

void frmTolm::showMessage(const std::u16string& text, shared::MessageKind kind) {
    switch (kind) {
        case shared::MessageKind::kNotice:
            MessageBoxW(nullptr, wide(text), wide(productName()), MB_OK | MB_SETFOREGROUND);
            return;
        case shared::MessageKind::kOutcome:
            MessageBoxW(window_, wide(text), wide(productName()), MB_OK | MB_ICONINFORMATION);
            return;
        case shared::MessageKind::kFailure:
            MessageBoxW(window_, wide(text), wide(productName()), MB_OK | MB_ICONERROR);
            return;
    }
}

bool frmTolm::askToContinue(const std::u16string& text) {
    return win32::askToContinue(window_, text);
}

void frmTolm::showAbout() { about_.show(); }

// The program ends with its last window: the main window closed while the About box was open
// waits for the About box.
void frmTolm::aboutClosed() {
    if (unloaded_) end_(0);
}

void frmTolm::onCommand(int id) {
    const int row = id - kFirstControlId;
    if (row < 0 || row >= static_cast<int>(kMainWindowLayout.size())) return;
    const std::string name = kMainWindowLayout[static_cast<std::size_t>(row)].name;
    if (name == "Command1") {
        controller_.readTemplate();
    } else if (name == "OKButton") {
        controller_.batchModify();
    } else if (name == "Command2") {
        showAbout();
    } else if (name == "CancelButton") {
        // Ends the program at once: no question, nothing saved, the About box goes with it.
        end_(0);
    }
}

LRESULT CALLBACK frmTolm::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<frmTolm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->handle(message, w, l) : DefWindowProcW(window, message, w, l);
}

LRESULT frmTolm::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(w) == BN_CLICKED && l != 0) onCommand(LOWORD(w));
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window_, &paint);
            paintLines(dc);
            EndPaint(window_, &paint);
            return 0;
        }
        case WM_ACTIVATE:
            // Leaving: remember the focused control; coming back: return the focus to it.
            if (LOWORD(w) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(window_, focus)) focused_ = focus;
            } else if (focused_) {
                SetFocus(focused_);
            }
            return 0;
        case WM_DPICHANGED: {
            layOut();
            const auto* suggested = reinterpret_cast<const RECT*>(l);
            SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_DESTROY:
            SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            window_ = nullptr;
            unloaded_ = true;
            if (!about_.isOpen()) end_(0);
            return 0;
        default:
            return DefWindowProcW(window_, message, w, l);
    }
}

}  // namespace win32
