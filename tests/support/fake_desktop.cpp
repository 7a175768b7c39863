#include "support/fake_desktop.h"

#include <algorithm>

namespace quill::testing {

using platform::WindowHandle;

platform::WindowHandle FakeDesktop::addWindow(const std::string& title, platform::ProcessId pid) {
    const WindowHandle handle = nextHandle_;
    nextHandle_ += 0x10;
    addWindowWithHandle(handle, title, pid);
    return handle;
}

platform::WindowHandle FakeDesktop::addWindowOnTop(const std::string& title, platform::ProcessId pid) {
    const WindowHandle handle = addWindow(title, pid);
    zOrder_.pop_back();
    zOrder_.insert(zOrder_.begin(), handle);
    return handle;
}

void FakeDesktop::addWindowWithHandle(WindowHandle handle, const std::string& title,
                                      platform::ProcessId pid) {
    FakeWindow w;
    w.handle = handle;
    w.title = title;
    w.pid = pid;
    windows_[handle] = w;
    zOrder_.push_back(handle);
}

void FakeDesktop::closeWindow(WindowHandle handle) {
    windows_.erase(handle);
    std::erase(zOrder_, handle);
    if (foreground_ == handle) foreground_ = 0;
}

void FakeDesktop::setTitle(WindowHandle handle, const std::string& title) {
    windows_.at(handle).title = title;
}
void FakeDesktop::minimize(WindowHandle handle) {
    windows_.at(handle).placement.showCmd = platform::kShowMinimized;
    if (foreground_ == handle) foreground_ = 0;
}
void FakeDesktop::maximize(WindowHandle handle) {
    windows_.at(handle).placement.showCmd = platform::kShowMaximized;
}

WindowHandle FakeDesktop::desktopWindow() {
    record("GetDesktopWindow()");
    return kDesktop;
}

WindowHandle FakeDesktop::firstWindow(WindowHandle window) {
    record("GetWindow(" + std::to_string(window) + ",GW_HWNDFIRST)");
    return zOrder_.empty() ? 0 : zOrder_.front();
}

WindowHandle FakeDesktop::nextWindow(WindowHandle window) {
    record("GetWindow(" + std::to_string(window) + ",GW_HWNDNEXT)");
    const auto it = std::find(zOrder_.begin(), zOrder_.end(), window);
    if (it == zOrder_.end() || it + 1 == zOrder_.end()) return 0;
    return *(it + 1);
}

std::string FakeDesktop::windowTitle(WindowHandle window) {
    record("GetWindowText(" + std::to_string(window) + ")");
    const auto it = windows_.find(window);
    return it == windows_.end() ? std::string() : it->second.title;
}

platform::ProcessId FakeDesktop::windowProcessId(WindowHandle window) {
    record("GetWindowThreadProcessId(" + std::to_string(window) + ")");
    const auto it = windows_.find(window);
    return it == windows_.end() ? 0 : it->second.pid;
}

WindowHandle FakeDesktop::findWindowByTitle(const std::string& title) {
    record("FindWindow(" + title + ")");
    for (WindowHandle handle : zOrder_)
        if (windows_.at(handle).title == title) return handle;
    return 0;
}

bool FakeDesktop::getWindowPlacement(WindowHandle window, platform::WindowPlacement& placement) {
    record("GetWindowPlacement(" + std::to_string(window) + ")");
    const auto it = windows_.find(window);
    if (it == windows_.end() || placement.length != 44) return false;
    placement = it->second.placement;
    return true;
}

bool FakeDesktop::setWindowPlacement(WindowHandle window, const platform::WindowPlacement& placement) {
    record("SetWindowPlacement(" + std::to_string(window) + ",flags=" + std::to_string(placement.flags) +
           ",showCmd=" + std::to_string(placement.showCmd) + ")");
    const auto it = windows_.find(window);
    if (it == windows_.end()) return false;
    it->second.placement = placement;
    if (placement.showCmd == platform::kShowNormal) foreground_ = window;
    return true;
}

bool FakeDesktop::setForegroundWindow(WindowHandle window) {
    record("SetForegroundWindow(" + std::to_string(window) + ")");
    if (!windows_.contains(window)) return false;
    foreground_ = window;
    return true;
}

bool FakeDesktop::bringWindowToTop(WindowHandle window) {
    record("BringWindowToTop(" + std::to_string(window) + ")");
    if (!windows_.contains(window)) return false;
    std::erase(zOrder_, window);
    zOrder_.insert(zOrder_.begin(), window);
    return true;
}

WindowHandle FakeDesktop::foregroundWindow() {
    return foreground_;
}

bool FakeDesktop::isWindow(WindowHandle window) {
    return windows_.contains(window);
}

bool FakeDesktop::sendCharacter(char32_t character) {
    record("SendCharacter(" + std::to_string(static_cast<std::uint32_t>(character)) + ")");
    if (rejected_ != 0 && character == rejected_) return false;
    const auto it = windows_.find(foreground_);
    if (it == windows_.end()) {
        stray_.push_back(character);
    } else {
        it->second.received.push_back(character);
    }
    return true;
}

}  // namespace quill::testing
