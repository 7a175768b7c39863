// The window system the program works with when no X11 display can be reached (a Wayland session
// without XWayland, or no DISPLAY at all): there are no other windows to find, raise or type into.
// The editor, the files and the About dialog keep working.
#pragma once

#include "platform/window_system.h"

namespace quill::app::qt {

class UnavailableWindowSystem : public platform::WindowSystem {
  public:
    platform::WindowHandle desktopWindow() override { return platform::kNoWindow; }
    platform::WindowHandle firstWindow(platform::WindowHandle) override { return platform::kNoWindow; }
    platform::WindowHandle nextWindow(platform::WindowHandle) override { return platform::kNoWindow; }
    std::string windowTitle(platform::WindowHandle) override { return {}; }
    platform::ProcessId windowProcessId(platform::WindowHandle) override { return 0; }
    platform::WindowHandle findWindowByTitle(const std::string&) override { return platform::kNoWindow; }
    bool getWindowPlacement(platform::WindowHandle, platform::WindowPlacement&) override { return false; }
    bool setWindowPlacement(platform::WindowHandle, const platform::WindowPlacement&) override {
        return false;
    }
    bool setForegroundWindow(platform::WindowHandle) override { return false; }
    bool bringWindowToTop(platform::WindowHandle) override { return false; }
    platform::WindowHandle foregroundWindow() override { return platform::kNoWindow; }
    bool isWindow(platform::WindowHandle) override { return false; }
    bool sendCharacter(char32_t) override { return false; }
};

}  // namespace quill::app::qt
