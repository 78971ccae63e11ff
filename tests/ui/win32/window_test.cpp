// The Win32 window in process, under Wine or Windows: where each control stands, what it says,
// the order the focus follows, the keys that press nothing, the About box and the ways out.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/unicode.h"
#include "cad/platform_connector.h"
#include "scripted_cad.h"
#include "ui/shared/main_window_layout.h"
#include "ui/win32/main_window.h"
#include "ui/win32/win32_text.h"

namespace win32 {
namespace {

// The DPI the windows are laid out at: 96 (15 twips a pixel) unless the system is set otherwise.
int dpi = 96;
int px(int twips) { return MulDiv(twips, dpi, 1440); }  // rounded to the nearest pixel

std::string utf8(const std::u16string& text) { return base::utf16ToUtf8(text); }

std::string className(HWND window) {
    wchar_t name[64]{};
    GetClassNameW(window, name, 64);
    return utf8(reinterpret_cast<const char16_t*>(name));
}

RECT clientRect(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Runs whatever is queued for this thread's windows, as the program's loop does.
void pump(const frmTolm* window = nullptr) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (window && window->preTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// A left click at a screen point, through the system's input queue like a user's.
// A mouse button as SendInput presses it: its down and up flags, and which X button.
struct MouseButton {
    const char* name;
    DWORD down;
    DWORD up;
    DWORD xButton;
};
constexpr MouseButton kLeftButton{"left", MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 0};

void clickAt(POINT at, const MouseButton& button = kLeftButton) {
    SetCursorPos(at.x, at.y);
    INPUT inputs[2]{};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = button.down;
    inputs[1].mi.dwFlags = button.up;
    inputs[0].mi.mouseData = inputs[1].mi.mouseData = button.xButton;
    SendInput(2, inputs, sizeof(INPUT));
    for (int i = 0; i < 20; ++i) {
        Sleep(10);
        pump();
    }
}

POINT centreOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

std::vector<HWND> aboutBoxes() {
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM list) {
            if (className(window) == "frmAbout" && IsWindowVisible(window))
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

class WindowTest : public ::testing::Test {
protected:
    WindowTest() {
        window->show();
        pump(window.get());
    }
    HWND control(const char* name) const { return window->control(name); }
    void press(const char* name) {
        SendMessageW(control(name), BM_CLICK, 0, 0);
        pump(window.get());
    }

    std::shared_ptr<testing_support::CadScript> script =
        std::make_shared<testing_support::CadScript>();
    std::vector<int> ends;
    std::unique_ptr<frmTolm> window = std::make_unique<frmTolm>(
        testing_support::scriptedConnector(script), cad::makePlatformDrawingFiles(),
        [] { return false; }, [this](int status) { ends.push_back(status); });
};

TEST_F(WindowTest, IsAFixedTitledWindowWithTheIconAndTheDesignedClientArea) {
    EXPECT_EQ(utf8(windowText(window->window())), "工艺相关栏目填写");
    RECT client{};
    GetClientRect(window->window(), &client);
    EXPECT_EQ(client.right, px(7485));
    EXPECT_EQ(client.bottom, px(3990));
    if (dpi == 96) {
        EXPECT_EQ(client.right, 499);
        EXPECT_EQ(client.bottom, 266);
    }
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window->window(), GWL_STYLE));
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "not resizable by dragging";
    EXPECT_NE(GetClassLongPtrW(window->window(), GCLP_HICON), 0);
    EXPECT_NE(GetClassLongPtrW(window->window(), GCLP_HICONSM), 0);
}

TEST_F(WindowTest, EveryControlStandsAtItsTwipsWithItsCaption) {
    int controls = 0;
    for (const shared::ControlRow& row : shared::kMainWindowLayout) {
        HWND c = control(row.name);
        if (row.kind == shared::ControlKind::Line) {
            EXPECT_EQ(c, nullptr) << row.name << " is only painted";
            continue;
        }
        ++controls;
        ASSERT_NE(c, nullptr) << row.name;
        const RECT at = clientRect(c);
        EXPECT_EQ(at.left, px(row.twips[0])) << row.name;
        EXPECT_EQ(at.top, px(row.twips[1])) << row.name;
        EXPECT_EQ(at.right - at.left, px(row.twips[2])) << row.name;
        EXPECT_EQ(at.bottom - at.top, px(row.twips[3])) << row.name;
        const std::string kind = className(c);
        const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(c, GWL_EXSTYLE));
        switch (row.kind) {
            case shared::ControlKind::Label:
                EXPECT_EQ(kind, "Static") << row.name;
                EXPECT_EQ(utf8(windowText(c)), row.caption) << row.name;
                break;
            case shared::ControlKind::HeaderField:
            case shared::ControlKind::GridField:
                EXPECT_EQ(kind, "Edit") << row.name;
                // Start-up reached the CAD application: every field holds one space.
                EXPECT_EQ(utf8(windowText(c)), " ") << row.name;
                EXPECT_EQ(exStyle & WS_EX_CLIENTEDGE ? 1 : 0,
                          row.kind == shared::ControlKind::HeaderField ? 1 : 0)
                    << row.name << ": only the header fields have a border";
                EXPECT_GE(SendMessageW(c, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE) << row.name;
                break;
            case shared::ControlKind::Button:
                EXPECT_EQ(kind, "Button") << row.name;
                EXPECT_EQ(utf8(windowText(c)), row.caption) << row.name;
                break;
            case shared::ControlKind::ProgressBar: {
                EXPECT_EQ(kind, "msctls_progress32") << row.name;
                PBRANGE range{};
                SendMessageW(c, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
                EXPECT_EQ(range.iLow, 0);
                EXPECT_EQ(range.iHigh, 100);
                EXPECT_EQ(SendMessageW(c, PBM_GETPOS, 0, 0), 0);
                break;
            }
            case shared::ControlKind::Line:
                break;
        }
    }
    EXPECT_EQ(controls, 48);
}

TEST_F(WindowTest, FocusStartsOnOKButtonAndTabFollowsTheTabIndex) {
    EXPECT_EQ(GetFocus(), control("OKButton"));
    std::vector<std::string> expected = {"CancelButton"};
    for (int field = 1; field <= 29; ++field) expected.push_back("Text" + std::to_string(field));
    expected.insert(expected.end(), {"Command1", "Command2", "OKButton"});
    HWND at = control("OKButton");
    for (const std::string& name : expected) {
        at = GetNextDlgTabItem(window->window(), at, FALSE);
        EXPECT_EQ(at, control(name.c_str())) << "after the previous one comes " << name;
    }
    // The Tab key itself, through the window's message handling.
    SetFocus(control("CancelButton"));
    MSG tab{control("CancelButton"), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_TRUE(window->preTranslate(tab));
    EXPECT_EQ(GetFocus(), control("Text1"));
    // Its one space selected, so that typing replaces it.
    DWORD start = 1, end = 0;
    SendMessageW(control("Text1"), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 1u);
}

// The pixels of a label as it paints itself (WM_PRINTCLIENT runs its own painting into our DC).
std::vector<std::uint32_t> paintedPixels(HWND label) {
    RECT client{};
    GetClientRect(label, &client);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(dc, bitmap);
    SendMessageW(label, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    std::vector<std::uint32_t> pixels(first, first + client.right * client.bottom);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

// A font without Chinese draws every Chinese character as one and the same box, so a caption
// with its Chinese characters in another order would paint the same pixels; glyphs paint others.
// Every label has at least two different Chinese characters.
TEST_F(WindowTest, ChineseLabelsAreDrawnWithGlyphsNotBoxes) {
    for (const shared::ControlRow& row : shared::kMainWindowLayout) {
        if (row.kind != shared::ControlKind::Label) continue;
        HWND label = control(row.name);
        const std::u16string caption = windowText(label);
        std::vector<std::size_t> han;
        for (std::size_t i = 0; i < caption.size(); ++i) {
            if (caption[i] >= u'\u4E00' && caption[i] <= u'\u9FFF') han.push_back(i);
        }
        std::u16string reordered = caption;
        for (std::size_t k = 0; k < han.size(); ++k) {
            reordered[han[k]] = caption[han[(k + 1) % han.size()]];
        }
        const std::vector<std::uint32_t> painted = paintedPixels(label);
        SetWindowTextW(label, reinterpret_cast<const wchar_t*>(reordered.c_str()));
        const std::vector<std::uint32_t> repainted = paintedPixels(label);
        SetWindowTextW(label, reinterpret_cast<const wchar_t*>(caption.c_str()));
        EXPECT_TRUE(std::count(painted.begin(), painted.end(), painted.front()) <
                    static_cast<std::ptrdiff_t>(painted.size()))
            << row.name << " paints nothing";
        EXPECT_TRUE(painted != repainted)
            << row.name << " \"" << utf8(caption) << "\" paints boxes";
    }
}

// A modal dialog opened by a wrongly pressed button is counted and cancelled, so the test ends.
std::vector<std::string>* openedDialogs = nullptr;
void CALLBACK cancelDialogs(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM) {
            if (className(w) == "#32770" && IsWindowVisible(w)) {
                openedDialogs->push_back(utf8(windowText(w)));
                PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
            }
            return TRUE;
        },
        0);
}

TEST_F(WindowTest, EnterAndEscPressNoButton) {
    std::vector<std::string> dialogs;
    openedDialogs = &dialogs;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, cancelDialogs);
    for (const char* name : {"Text1", "Text21", "Text29", "OKButton", "Command1"}) {
        SetFocus(control(name));
        for (const WPARAM key : {VK_RETURN, VK_ESCAPE}) {
            PostMessageW(control(name), WM_KEYDOWN, key, 1);
            PostMessageW(control(name), WM_CHAR, key == VK_RETURN ? L'\r' : 0x1B, 1);
            PostMessageW(control(name), WM_KEYUP, key, 0xC0000001);
            pump(window.get());
        }
    }
    Sleep(120);
    pump(window.get());
    KillTimer(nullptr, timer);
    EXPECT_TRUE(dialogs.empty());
    EXPECT_TRUE(aboutBoxes().empty());
    EXPECT_TRUE(ends.empty());
    EXPECT_TRUE(IsWindow(window->window()));
}

TEST_F(WindowTest, AboutBoxIsOneBorderlessOwnerlessWindowThatAnyClickCloses) {
    press("Command2");
    press("Command2");
    ASSERT_EQ(aboutBoxes().size(), 1u);
    const HWND box = aboutBoxes().front();
    EXPECT_EQ(box, window->aboutBox().window());
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(box, GWL_STYLE));
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME));
    EXPECT_EQ(utf8(windowText(box)), "关于我的应用程序");
    RECT client{};
    GetClientRect(box, &client);
    EXPECT_EQ(client.right, px(3570));
    EXPECT_EQ(client.bottom, px(1545));
    if (dpi == 96) {
        EXPECT_EQ(client.right, 238);
        EXPECT_EQ(client.bottom, 103);
    }

    const struct {
        const char* name;
        const char* text;
        RECT at;
    } labels[] = {
        {"lblTitle", "Zandrel1.0", {600, 240, 2295, 285}},
        {"lblDescription", "应用于天河CAD的标题栏填充", {600, 600, 2250, 180}},
        {"Label1", "本软件为免费软件，如果有什么建议请写信ask@example.com", {600, 840, 2640, 420}},
    };  // left, top, width, height in twips
    for (const auto& l : labels) {
        HWND label = window->aboutBox().label(l.name);
        ASSERT_NE(label, nullptr) << l.name;
        EXPECT_EQ(utf8(windowText(label)), l.text) << l.name;
        const RECT at = clientRect(label);
        EXPECT_EQ(at.left, px(l.at.left)) << l.name;
        EXPECT_EQ(at.top, px(l.at.top)) << l.name;
        // Single lines may grow to fit their text; the wrapping box keeps its size.
        EXPECT_GE(at.right - at.left, px(l.at.right)) << l.name;
        EXPECT_GE(at.bottom - at.top, px(l.at.bottom)) << l.name;
    }
    const RECT label1 = clientRect(window->aboutBox().label("Label1"));
    EXPECT_EQ(label1.right - label1.left, px(2640));
    EXPECT_EQ(label1.bottom - label1.top, px(420));
    LOGFONTW title{};
    GetObjectW(reinterpret_cast<HFONT>(
                   SendMessageW(window->aboutBox().label("lblTitle"), WM_GETFONT, 0, 0)),
               sizeof title, &title);
    EXPECT_EQ(utf8(reinterpret_cast<const char16_t*>(title.lfFaceName)), "黑体");
    EXPECT_EQ(title.lfCharSet, GB2312_CHARSET);
    EXPECT_EQ(title.lfWeight, FW_BOLD);
    EXPECT_EQ(title.lfHeight, -MulDiv(1425, dpi, 7200)) << "14.25 points";

    // Any button on each label, and on an empty spot, closes it; the next click on Command2
    // builds it again.
    constexpr MouseButton kRight{"right", MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, 0};
    constexpr MouseButton kMiddle{"middle", MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP, 0};
    constexpr MouseButton kX1{"X1", MOUSEEVENTF_XDOWN, MOUSEEVENTF_XUP, XBUTTON1};
    constexpr MouseButton kX2{"X2", MOUSEEVENTF_XDOWN, MOUSEEVENTF_XUP, XBUTTON2};
    const struct {
        const char* target;  // "" for the background
        MouseButton button;
    } clicks[] = {
        {"lblTitle", kLeftButton},
        {"lblDescription", kLeftButton},
        {"Label1", kLeftButton},
        {"", kLeftButton},
        {"lblTitle", kRight},
        {"", kRight},
        {"lblDescription", kMiddle},
        {"", kMiddle},
        {"Label1", kX1},
        {"", kX1},
        {"lblTitle", kX2},
        {"", kX2},
    };
    for (const auto& click : clicks) {
        const std::string where = *click.target ? click.target : "the background";
        SCOPED_TRACE(std::string(click.button.name) + " button on " + where);
        if (aboutBoxes().empty()) press("Command2");
        ASSERT_EQ(aboutBoxes().size(), 1u);
        const HWND open = aboutBoxes().front();
        RECT bounds{};
        GetWindowRect(open, &bounds);
        const POINT at = *click.target ? centreOf(window->aboutBox().label(click.target))
                                       : POINT{bounds.right - 4, bounds.bottom - 4};
        clickAt(at, click.button);
        EXPECT_TRUE(aboutBoxes().empty());
        EXPECT_FALSE(window->aboutBox().isOpen());
    }
    EXPECT_TRUE(ends.empty()) << "the main window stays";
}

TEST_F(WindowTest, ClosingTheMainWindowWaitsForTheAboutBox) {
    press("Command2");
    SendMessageW(window->window(), WM_CLOSE, 0, 0);
    pump();
    EXPECT_FALSE(IsWindow(window->window()));
    EXPECT_TRUE(ends.empty()) << "the About box is still open";
    ASSERT_EQ(aboutBoxes().size(), 1u);
    clickAt(centreOf(aboutBoxes().front()));
    EXPECT_EQ(ends, std::vector<int>{0});

    // Without the About box, closing the main window ends the program.
    ends.clear();
    window = std::make_unique<frmTolm>(
        testing_support::scriptedConnector(script), cad::makePlatformDrawingFiles(),
        [] { return false; }, [this](int status) { ends.push_back(status); });
    SendMessageW(window->window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(ends, std::vector<int>{0});
}

}  // namespace
}  // namespace win32

int main(int argc, char** argv) {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    win32::dpi = static_cast<int>(GetDpiForSystem());
    std::printf("Laid out at %d DPI\n", win32::dpi);
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
