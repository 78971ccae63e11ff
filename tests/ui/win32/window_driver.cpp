// Drives zandrel.exe from outside as a user would, step by step, and prints what the user would
// see, so that a script can check the window, its file dialog and its message boxes end to end.
//
//   zandrel-window-driver STEP...
//     start          starts zandrel.exe from this program's folder and waits for its window;
//                    a message box start-up shows first is printed and answered
//     message        waits for a message box, prints its text, presses OK
//     answer CAPTION waits for a message box, prints its text, presses the button CAPTION
//     set N TEXT     types TEXT into field TextN
//     empty          empties every field
//     click NAME     presses the button NAME (Command1, OKButton, CancelButton, Command2)
//     open TEXT      waits for the open-file dialog, prints its first filter, types TEXT into
//                    its file name box and presses Open (a folder opens it; names choose)
//     in FOLDER      the folder `choose` opens the dialog on
//     choose NAMES   as `open` on the folder given by `in`, then on NAMES, printing once
//     cancel         waits for the open-file dialog, prints its first filter, presses Cancel
//     progress       waits until the bar is full (an operation's end), prints its range and
//                    position
//     bar            prints the bar's range and position as they are
//     field N        prints TextN
//     exit           waits for the program to end and prints its exit status
//     pause          prints where the main window and the About box stand on the screen
//                    ("at frmTolm X Y WIDTH HEIGHT"), then waits for a line on standard input
//
// Output is UTF-8. A step that times out prints "timeout: STEP" and exits 2.
#include <windows.h>

#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/unicode.h"
#include "ui/win32/main_window.h"

namespace {

constexpr int kFileNameCombo = 0x47C;  // cmb13: the explorer-style dialog's file name box
constexpr int kFileNameEdit = 0x480;   // edt1: the same in older templates
constexpr int kFilterCombo = 0x470;    // cmb1: the file types
constexpr DWORD kPatience = 30000;     // ms

void print(const std::u16string& line) {
    const std::string text = base::utf16ToUtf8(line) + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

std::u16string fromWide(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }

std::vector<std::u16string> arguments() {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> list(
        CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    std::vector<std::u16string> result;
    for (int i = 1; i < count; ++i) result.push_back(fromWide(list.get()[i]));
    return result;
}

std::wstring besideThisProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH]{};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

// A control's text, from any process: GetWindowText would not ask another process's control.
std::u16string textOf(HWND control) {
    const auto length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    const auto copied = SendMessageW(control, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

std::u16string className(HWND window) {
    wchar_t name[64]{};
    GetClassNameW(window, name, 64);
    return fromWide(name);
}

// The visible top-level windows of the process, of class `type`.
std::vector<HWND> windowsOf(DWORD process, const std::u16string& type) {
    struct Search {
        DWORD process;
        std::u16string type;
        std::vector<HWND> found;
    } search{process, type, {}};
    EnumWindows(
        [](HWND window, LPARAM data) {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s.process && IsWindowVisible(window) && className(window) == s.type)
                s.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND fileNameBox(HWND dialog) {
    HWND box = GetDlgItem(dialog, kFileNameCombo);
    return box ? box : GetDlgItem(dialog, kFileNameEdit);
}

// Polls until `find` gives a window or the patience runs out.
HWND waitFor(const std::function<HWND()>& find) {
    for (DWORD waited = 0; waited < kPatience; waited += 50) {
        if (HWND found = find()) return found;
        Sleep(50);
    }
    return nullptr;
}

std::u16string oneLine(std::u16string text) {
    for (std::size_t at; (at = text.find(u"\r\n")) != std::u16string::npos;)
        text.replace(at, 2, u"|");
    std::replace(text.begin(), text.end(), u'\n', u'|');
    return text;
}

class Driver {
public:
    // Runs the steps in order; the exit status: 0, or 2 when a step timed out or is unknown.
    int run(const std::vector<std::u16string>& steps) {
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const std::u16string& step = steps[i];
            const auto argument = [&]() -> std::u16string {
                return i + 1 < steps.size() ? steps[++i] : std::u16string();
            };
            bool done = false;
            if (step == u"start") {
                done = start();
            } else if (step == u"message") {
                done = message({});
            } else if (step == u"answer") {
                done = message(argument());
            } else if (step == u"set") {
                const int number = std::stoi(base::utf16ToUtf8(argument()));
                done = set(number, argument());
            } else if (step == u"empty") {
                done = true;
                for (int number = 1; number <= 29; ++number) done = done && set(number, {});
            } else if (step == u"click") {
                done = click(argument());
            } else if (step == u"open") {
                done = fileDialog(argument(), IDOK);
            } else if (step == u"in") {
                folder_ = argument();
                done = true;
            } else if (step == u"choose") {
                done = fileDialog(folder_, IDOK, false) && fileDialog(argument(), IDOK);
            } else if (step == u"cancel") {
                done = fileDialog({}, IDCANCEL);
            } else if (step == u"field") {
                done = field(std::stoi(base::utf16ToUtf8(argument())));
            } else if (step == u"progress") {
                done = progress(true);
            } else if (step == u"bar") {
                done = progress(false);
            } else if (step == u"exit") {
                done = exit();
            } else if (step == u"pause") {
                done = pause();
            }
            if (!done) {
                print(u"timeout: " + step);
                return 2;
            }
        }
        return 0;
    }

private:
    bool start() {
        std::wstring command = L"\"" + besideThisProgram(L"zandrel.exe") + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process_))
            return false;
        CloseHandle(process_.hThread);
        // Start-up may have something to say before the window shows: each message is printed
        // and answered, as the user would.
        for (;;) {
            HWND shown = waitFor([this]() -> HWND {
                if (HWND box = messageBox()) return box;
                return mainWindow();
            });
            if (!shown) return false;
            if (shown == mainWindow()) return true;
            answer(shown);
        }
    }

    HWND mainWindow() const {
        const std::vector<HWND> found = windowsOf(process_.dwProcessId, u"frmTolm");
        return found.empty() ? nullptr : found.front();
    }

    HWND control(const std::u16string& name) const {
        HWND window = waitFor([this] { return mainWindow(); });
        return window ? GetDlgItem(window, win32::controlId(base::utf16ToUtf8(name).c_str()))
                      : nullptr;
    }

    // The process's dialog that has, or has not, a file name box.
    HWND dialogOf(bool fileDialog) const {
        const std::vector<HWND> dialogs = windowsOf(process_.dwProcessId, u"#32770");
        const auto found = std::find_if(dialogs.begin(), dialogs.end(), [&](HWND dialog) {
            return (fileNameBox(dialog) != nullptr) == fileDialog;
        });
        return found == dialogs.end() ? nullptr : *found;
    }

    HWND messageBox() const { return dialogOf(false); }

    bool message(const std::u16string& caption) {
        HWND box = waitFor([this] { return messageBox(); });
        return box && answer(box, caption);
    }

    // Prints a message box's text and presses the button `caption`, or OK; false when it has no
    // such button.
    static bool answer(HWND box, const std::u16string& caption = {}) {
        std::u16string text;
        int pressed = caption.empty() ? IDOK : 0;
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (className(child) == u"Static") text += textOf(child);
            if (className(child) == u"Button" && textOf(child) == caption)
                pressed = GetDlgCtrlID(child);
        }
        print(u"message: " + oneLine(text));
        if (!pressed) return false;
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(pressed, BN_CLICKED), 0);
        // Gone before anyone looks for the next one.
        for (DWORD waited = 0; waited < kPatience && IsWindowVisible(box); waited += 20) Sleep(20);
        return true;
    }

    bool set(int field, const std::u16string& text) {
        HWND box = control(u"Text" + base::utf8ToUtf16(std::to_string(field)));
        return box && SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    bool click(const std::u16string& name) {
        HWND button = control(name);
        if (!button) return false;
        PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
        return true;
    }

    bool fileDialog(const std::u16string& text, int button, bool notesFilter = true) {
        HWND dialog = waitFor([this] { return dialogOf(true); });
        if (!dialog) return false;
        // Until the dialog has filled its lists it would drop what is typed.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, kPatience, &ignored);
        wchar_t filter[256]{};
        SendDlgItemMessageW(dialog, kFilterCombo, CB_GETLBTEXT, 0,
                            reinterpret_cast<LPARAM>(filter));
        if (notesFilter) print(u"dialog: " + fromWide(filter));
        HWND box = fileNameBox(dialog);
        if (button == IDOK)
            SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
        // The dialog handles the press (opening a folder, or closing) before it answers this.
        SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, kPatience, &ignored);
        return true;
    }

    bool field(int number) {
        HWND box = control(u"Text" + base::utf8ToUtf16(std::to_string(number)));
        if (!box) return false;
        print(u"Text" + base::utf8ToUtf16(std::to_string(number)) + u"=\"" + textOf(box) + u"\"");
        return true;
    }

    // An operation runs on the window's thread without a sign of its end, and the thread answers
    // messages while it waits on the CAD application; a full bar is the sign (`progress`). When
    // nothing runs, as after an empty choice, the window answering is enough (`bar`).
    bool progress(bool untilFull) {
        HWND bar = control(u"ProgressBar1");
        if (!bar) return false;
        DWORD_PTR ignored = 0;
        if (!SendMessageTimeoutW(GetParent(bar), WM_NULL, 0, 0, SMTO_NORMAL, kPatience, &ignored))
            return false;
        LRESULT low = 0, high = 0, position = 0;
        for (DWORD waited = 0;; waited += 50) {
            low = SendMessageW(bar, PBM_GETRANGE, TRUE, 0);
            high = SendMessageW(bar, PBM_GETRANGE, FALSE, 0);
            position = SendMessageW(bar, PBM_GETPOS, 0, 0);
            if (!untilFull || (high > 0 && position == high)) break;
            if (waited >= kPatience) return false;
            Sleep(50);
        }
        print(base::utf8ToUtf16("progress " + std::to_string(low) + ".." + std::to_string(high) +
                                " at " + std::to_string(position)));
        return true;
    }

    bool exit() {
        if (WaitForSingleObject(process_.hProcess, kPatience) != WAIT_OBJECT_0) return false;
        DWORD status = 0;
        GetExitCodeProcess(process_.hProcess, &status);
        print(base::utf8ToUtf16("exit " + std::to_string(status)));
        return true;
    }

    bool pause() {
        HWND shown = waitFor([this] { return mainWindow(); });
        DWORD_PTR ignored = 0;
        // Whatever was pressed last has been handled once the window answers.
        if (!shown || !SendMessageTimeoutW(shown, WM_NULL, 0, 0, SMTO_NORMAL, kPatience, &ignored))
            return false;
        for (const char16_t* type : {u"frmTolm", u"frmAbout"}) {
            for (HWND window : windowsOf(process_.dwProcessId, type)) {
                RECT at{};
                GetWindowRect(window, &at);
                print(u"at " + std::u16string(type) +
                      base::utf8ToUtf16(" " + std::to_string(at.left) + " " +
                                        std::to_string(at.top) + " " +
                                        std::to_string(at.right - at.left) + " " +
                                        std::to_string(at.bottom - at.top)));
            }
        }
        char line[16];
        return std::fgets(line, sizeof line, stdin) != nullptr;
    }

    PROCESS_INFORMATION process_{};
    std::u16string folder_;
};

}  // namespace

int main() {
    _setmode(_fileno(stdout), _O_BINARY);  // "\n", not "\r\n"
    return Driver().run(arguments());
}
