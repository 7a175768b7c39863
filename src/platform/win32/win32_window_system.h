// The window-system services on Windows: user32 (wide-character functions) and SendInput.
#pragma once

#include <memory>
#include <string>

#include "platform/window_system.h"

namespace quill::platform::win32 {

class Win32WindowSystem : public WindowSystem {
  public:
    static std::unique_ptr<Win32WindowSystem> create();
    ~Win32WindowSystem() override = default;

    WindowHandle desktopWindow() override;
    WindowHandle firstWindow(WindowHandle window) override;
    WindowHandle nextWindow(WindowHandle window) override;
    std::string windowTitle(WindowHandle window) override;
    ProcessId windowProcessId(WindowHandle window) override;
    WindowHandle findWindowByTitle(const std::string& title) override;

    bool getWindowPlacement(WindowHandle window, WindowPlacement& placement) override;
    bool setWindowPlacement(WindowHandle window, const WindowPlacement& placement) override;
    bool setForegroundWindow(WindowHandle window) override;
    bool bringWindowToTop(WindowHandle window) override;

    WindowHandle foregroundWindow() override;
    bool isWindow(WindowHandle window) override;

    bool sendCharacter(char32_t character) override;

  private:
    Win32WindowSystem() = default;
};

}  // namespace quill::platform::win32
