// frmAbout: the modeless About dialog, at most one, without a task-bar button.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <functional>
#include <vector>

namespace quill::app::win32 {

class AboutWindow {
  public:
    // `closed` runs when the dialog's window is gone.
    AboutWindow(HINSTANCE instance, std::function<void()> closed);
    ~AboutWindow();
    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;

    // Creates and loads the dialog when it is not open, then shows it; an open one is only brought
    // into view.
    void show();
    HWND handle() const { return window_; }
    bool isOpen() const { return window_ != nullptr; }

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool create();
    // Places, fonts and the icon for `dpi`.
    void applyLayout(UINT dpi);
    void paint();

    HINSTANCE instance_;
    std::function<void()> closed_;
    HWND owner_ = nullptr;  // hidden: owned windows get no task-bar button
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HICON icon_ = nullptr;
    UINT dpi_ = 96;
};

}  // namespace quill::app::win32
