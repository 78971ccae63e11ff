#pragma once

#include <windows.h>

#include <functional>

namespace win32 {

// The About box, `frmAbout`: a borderless popup without an owner that names the tool, says what
// it is for and gives a contact address. A click anywhere on it closes (unloads) its window; the
// object stays and the next show() builds the window afresh.
class frmAbout final {
public:
    // `closed` runs each time the window goes, so the program can end when it was the last.
    explicit frmAbout(std::function<void()> closed);
    ~frmAbout();
    frmAbout(const frmAbout&) = delete;
    frmAbout& operator=(const frmAbout&) = delete;

    // Creates the window when it is not open, then shows it and brings it to the front.
    void show();
    bool isOpen() const { return window_ != nullptr; }
    HWND window() const { return window_; }
    // The label's control, by its name; nullptr when the window is not open.
    HWND label(const char* name) const;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void create();
    void layOut();

    std::function<void()> closed_;
    HWND window_ = nullptr;
    HFONT titleFont_ = nullptr;
    HFONT uiFont_ = nullptr;
};

}  // namespace win32
