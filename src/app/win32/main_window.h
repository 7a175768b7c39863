// FrmMain: the main window, built from the layout tables and driven by FrmMainLogic.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "app/layout.h"
#include "app/main_window_logic.h"
#include "app/win32/about_dialog.h"
#include "app/win32/controls.h"
#include "app/win32/taskbar_progress.h"
#include "platform/window_system.h"

namespace quill::app::win32 {

class FrmMain {
  public:
    // `showAbout` opens frmAbout; `closed` runs when the window is gone.
    FrmMain(HINSTANCE instance, platform::WindowSystem& windows, std::function<void()> showAbout,
            std::function<void()> closed);
    ~FrmMain();
    FrmMain(const FrmMain&) = delete;
    FrmMain& operator=(const FrmMain&) = delete;

    // Creates the window and its controls, runs Form_Load, then shows the window.
    bool create(int showCommand);
    HWND handle() const { return window_; }
    const FrmMainLogic& logic() const { return *logic_; }

    // Keyboard handling of the message loop: the menu shortcuts first (so Ctrl+X works in the
    // editor too), then Tab, access keys and Enter. True when the message was used.
    bool preTranslate(MSG& message);

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls();
    void applyLayout(UINT dpi);
    void paint();
    void onCommand(int id, int notification);
    LRESULT controlColour(UINT message, HDC dc, HWND control);
    HWND controlHandle(layout::ControlId id) const;
    void showProgress();

    HINSTANCE instance_;
    platform::WindowSystem& windows_;
    std::function<void()> closed_;

    RichTextEditor text1_;
    CaptionLabel label1_;
    DelaySlider slider1_;
    TickTimer timer1_;
    MessageBoxService messages_;
    FileDialogService cd_;
    AboutHost about_;
    ProgramService program_;
    std::unique_ptr<FrmMainLogic> logic_;

    HWND window_ = nullptr;
    std::vector<HWND> controls_;  // by index in layout::mainControls()
    HACCEL accelerators_ = nullptr;
    HFONT font_ = nullptr;
    HBRUSH greyBrush_ = nullptr;
    HWND lastFocus_ = nullptr;
    UINT dpi_ = 96;
    TaskbarProgress taskbar_;
};

}  // namespace quill::app::win32
