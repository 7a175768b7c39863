// An in-memory desktop for tests: windows with titles, owning processes, z-order, placement and
// focus. Every call is recorded so tests can assert exact call sequences.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/window_system.h"

namespace quill::testing {

struct FakeWindow {
    platform::WindowHandle handle = 0;
    std::string title;
    platform::ProcessId pid = 0;
    platform::WindowPlacement placement{44, 0, platform::kShowNormal, {}, {}, {10, 10, 410, 310}};
    std::u32string received;  // characters typed while this window had the focus
};

class FakeDesktop : public platform::WindowSystem {
  public:
    static constexpr platform::WindowHandle kDesktop = 0x10010;

    // Adds a window at the bottom of the z-order; returns its handle.
    platform::WindowHandle addWindow(const std::string& title, platform::ProcessId pid = 1000);
    // Adds a window on top of the z-order.
    platform::WindowHandle addWindowOnTop(const std::string& title, platform::ProcessId pid = 1000);
    void addWindowWithHandle(platform::WindowHandle handle, const std::string& title,
                             platform::ProcessId pid);
    void closeWindow(platform::WindowHandle handle);
    void setTitle(platform::WindowHandle handle, const std::string& title);
    void minimize(platform::WindowHandle handle);
    void maximize(platform::WindowHandle handle);
    // Gives the focus to a window without recording a call (the user clicked it).
    void focus(platform::WindowHandle handle) { foreground_ = handle; }
    FakeWindow& window(platform::WindowHandle handle) { return windows_.at(handle); }
    const std::vector<platform::WindowHandle>& zOrder() const { return zOrder_; }
    // Characters typed while no window or an unknown window had the focus.
    const std::u32string& strayKeys() const { return stray_; }
    // Makes sendCharacter fail for this character.
    void rejectCharacter(char32_t c) { rejected_ = c; }

    std::vector<std::string> calls;  // e.g. "SetForegroundWindow(5)"

    platform::WindowHandle desktopWindow() override;
    platform::WindowHandle firstWindow(platform::WindowHandle window) override;
    platform::WindowHandle nextWindow(platform::WindowHandle window) override;
    std::string windowTitle(platform::WindowHandle window) override;
    platform::ProcessId windowProcessId(platform::WindowHandle window) override;
    platform::WindowHandle findWindowByTitle(const std::string& title) override;
    bool getWindowPlacement(platform::WindowHandle window, platform::WindowPlacement& placement) override;
    bool setWindowPlacement(platform::WindowHandle window,
                            const platform::WindowPlacement& placement) override;
    bool setForegroundWindow(platform::WindowHandle window) override;
    bool bringWindowToTop(platform::WindowHandle window) override;
    platform::WindowHandle foregroundWindow() override;
    bool isWindow(platform::WindowHandle window) override;
    bool sendCharacter(char32_t character) override;

  private:
    void record(const std::string& call) { calls.push_back(call); }
    std::map<platform::WindowHandle, FakeWindow> windows_;
    std::vector<platform::WindowHandle> zOrder_;  // topmost first
    platform::WindowHandle nextHandle_ = 0x20000;
    platform::WindowHandle foreground_ = 0;
    std::u32string stray_;
    char32_t rejected_ = 0;
};

}  // namespace quill::testing
