// frmAbout: the modeless About dialog, at most one, without a task-bar button.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <functional>
#include <vector>

#include "app/controls.h"

namespace quill::app::win32 {

class FrmAbout {
  public:
    // `closed` runs when the dialog's window is gone.
    FrmAbout(HINSTANCE instance, std::function<void()> closed);
    ~FrmAbout();
    FrmAbout(const FrmAbout&) = delete;
    FrmAbout& operator=(const FrmAbout&) = delete;

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

// The About dialog as the main window's handlers see it.
class AboutHost : public AboutDialogHost {
  public:
    explicit AboutHost(std::function<void()> show) : show_(std::move(show)) {}
    void showAbout() override { show_(); }

  private:
    std::function<void()> show_;
};

}  // namespace quill::app::win32
