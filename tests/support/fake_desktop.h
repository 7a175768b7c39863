// An in-memory desktop for tests: windows with titles, owning processes, z-order, placement and
// focus. Look-ups by title and every call that activates a window are recorded, so tests can assert
// exact call sequences.
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/window_system.h"

namespace quill::testing {

using platform::WindowHandle;

struct FakeWindow {
    std::string title;
    platform::ProcessId pid = 0;
    platform::WindowPlacement placement{44, 0, platform::kShowNormal, {}, {}, {10, 10, 410, 310}};
    std::u32string received;  // characters typed while this window had the focus
};

class FakeDesktop : public platform::WindowSystem {
  public:
    static constexpr WindowHandle kDesktop = 0x10010;

    // Adds a window at the bottom of the z-order (or on top); returns its handle.
    WindowHandle addWindow(const std::string& title, platform::ProcessId pid = 1000, bool onTop = false) {
        nextHandle_ += 0x10;
        addWindowWithHandle(nextHandle_, title, pid, onTop);
        return nextHandle_;
    }
    void addWindowWithHandle(WindowHandle handle, const std::string& title, platform::ProcessId pid,
                             bool onTop = false) {
        windows_[handle].title = title;
        windows_[handle].pid = pid;
        zOrder_.insert(onTop ? zOrder_.begin() : zOrder_.end(), handle);
    }
    void closeWindow(WindowHandle handle) {
        windows_.erase(handle);
        std::erase(zOrder_, handle);
        if (foreground_ == handle) foreground_ = 0;
    }
    void setTitle(WindowHandle handle, const std::string& title) { windows_.at(handle).title = title; }
    // Gives the focus to a window without recording a call (the user clicked it).
    void focus(WindowHandle handle) { foreground_ = handle; }
    FakeWindow& window(WindowHandle handle) { return windows_.at(handle); }
    const std::vector<WindowHandle>& zOrder() const { return zOrder_; }
    // Characters typed while no window or an unknown window had the focus.
    const std::u32string& strayKeys() const { return stray_; }
    // Makes sendCharacter fail for this character.
    void rejectCharacter(char32_t c) { rejected_ = c; }
    // Holds every key back from now on, as a desktop that asks the user first.
    void holdKeys() { holding_ = true; }
    // Lets the held keys through, the first `dropped` of them lost on the way.
    void releaseKeys(std::size_t dropped) {
        holding_ = false;
        for (std::size_t i = 0; i < held_.size(); ++i) {
            if (i < dropped)
                lost_.insert(held_[i].first);
            else if (held_[i].second != 0)
                deliver(held_[i].second);
        }
        held_.clear();
    }
    // The user refuses: the held keys come through all the same, as refused.
    void refuseKeys() {
        holding_ = false;
        for (const auto& [sending, character] : held_) {
            refused_.insert(sending);
            if (character != 0) deliver(character);
        }
        held_.clear();
    }
    int probes = 0;  // keys sent that type nothing

    std::vector<std::string> calls;  // e.g. "SetForegroundWindow(5)"

    WindowHandle desktopWindow() override { return kDesktop; }
    WindowHandle firstWindow(WindowHandle) override { return zOrder_.empty() ? 0 : zOrder_.front(); }
    WindowHandle nextWindow(WindowHandle window) override {
        const auto it = std::find(zOrder_.begin(), zOrder_.end(), window);
        return it == zOrder_.end() || it + 1 == zOrder_.end() ? 0 : *(it + 1);
    }
    std::string windowTitle(WindowHandle window) override {
        return windows_.contains(window) ? windows_.at(window).title : std::string();
    }
    platform::ProcessId windowProcessId(WindowHandle window) override {
        return windows_.contains(window) ? windows_.at(window).pid : 0;
    }
    WindowHandle findWindowByTitle(const std::string& title) override {
        calls.push_back("FindWindow(" + title + ")");
        for (WindowHandle handle : zOrder_)
            if (windows_.at(handle).title == title) return handle;
        return 0;
    }
    bool getWindowPlacement(WindowHandle window, platform::WindowPlacement& placement) override {
        const FakeWindow* w = find("GetWindowPlacement", window);
        if (!w || placement.length != 44) return false;
        placement = w->placement;
        return true;
    }
    bool setWindowPlacement(WindowHandle window, const platform::WindowPlacement& placement) override {
        FakeWindow* w = find(
            "SetWindowPlacement", window,
            ",flags=" + std::to_string(placement.flags) + ",showCmd=" + std::to_string(placement.showCmd));
        if (!w) return false;
        w->placement = placement;
        if (placement.showCmd == platform::kShowNormal) foreground_ = window;
        return true;
    }
    bool setForegroundWindow(WindowHandle window) override {
        if (!find("SetForegroundWindow", window)) return false;
        foreground_ = window;
        return true;
    }
    bool bringWindowToTop(WindowHandle window) override {
        if (!find("BringWindowToTop", window)) return false;
        std::erase(zOrder_, window);
        zOrder_.insert(zOrder_.begin(), window);
        return true;
    }
    WindowHandle foregroundWindow() override { return foreground_; }
    bool isWindow(WindowHandle window) override { return windows_.contains(window); }
    bool sendCharacter(char32_t character) override {
        if (rejected_ != 0 && character == rejected_) return false;
        lastCharacter_ = ++sendings_;
        if (holding_)
            held_.emplace_back(sendings_, character);
        else
            deliver(character);
        return true;
    }
    Arrival lastCharacterArrival() override { return arrival(lastCharacter_); }
    bool sendProbe() override {
        ++probes;
        lastProbe_ = ++sendings_;
        if (holding_) held_.emplace_back(sendings_, 0);
        return true;
    }
    Arrival lastProbeArrival() override { return arrival(lastProbe_); }

  private:
    void deliver(char32_t character) {
        const auto it = windows_.find(foreground_);
        (it == windows_.end() ? stray_ : it->second.received).push_back(character);
    }
    Arrival arrival(int sending) const {
        if (lost_.contains(sending)) return Arrival::Lost;
        if (refused_.contains(sending)) return Arrival::Refused;
        return std::any_of(held_.begin(), held_.end(), [&](const auto& key) { return key.first == sending; })
                   ? Arrival::Pending
                   : Arrival::Arrived;
    }

    // Records the call "name(window...)"; returns the window, or nullptr if there is none.
    FakeWindow* find(const std::string& name, WindowHandle window, const std::string& more = "") {
        calls.push_back(name + "(" + std::to_string(window) + more + ")");
        const auto it = windows_.find(window);
        return it == windows_.end() ? nullptr : &it->second;
    }

    std::map<WindowHandle, FakeWindow> windows_;
    std::vector<WindowHandle> zOrder_;  // topmost first
    WindowHandle nextHandle_ = 0x20000;
    WindowHandle foreground_ = 0;
    std::u32string stray_;
    char32_t rejected_ = 0;
    bool holding_ = false;
    std::vector<std::pair<int, char32_t>> held_;  // sending, character (0: a probe)
    std::set<int> lost_;
    std::set<int> refused_;
    int sendings_ = 0;
    int lastCharacter_ = 0;
    int lastProbe_ = 0;
};

}  // namespace quill::testing
