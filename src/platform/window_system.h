// The window-system and key-sending services the client link and the transfer engine rely on.
// One real implementation per platform (x11/, win32/); tests use an in-memory desktop.
#pragma once

#include <cstdint>
#include <string>

namespace quill::platform {

// A top-level window; 0 names no window. Real handles fit in 32 bits on both platforms.
using WindowHandle = std::uint32_t;
// The process that owns a window; 0 when unknown.
using ProcessId = std::uint32_t;

inline constexpr WindowHandle kNoWindow = 0;

// Show states of a window placement.
inline constexpr int kShowNormal = 1;     // SW_SHOWNORMAL
inline constexpr int kShowMinimized = 2;  // SW_SHOWMINIMIZED
inline constexpr int kShowMaximized = 3;  // SW_SHOWMAXIMIZED

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Mirror of the Win32 WINDOWPLACEMENT record (44 bytes there).
struct WindowPlacement {
    std::uint32_t length = 44;
    std::uint32_t flags = 0;
    int showCmd = 0;
    Point minPosition;
    Point maxPosition;
    Rect normalPosition;
    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

class WindowSystem {
  public:
    virtual ~WindowSystem() = default;

    // The desktop (root) window.
    virtual WindowHandle desktopWindow() = 0;
    // The topmost window at the z-order level of `window` (GW_HWNDFIRST).
    virtual WindowHandle firstWindow(WindowHandle window) = 0;
    // The next window below `window` in the z-order, 0 after the last (GW_HWNDNEXT).
    virtual WindowHandle nextWindow(WindowHandle window) = 0;
    // The window's title as UTF-8; empty when untitled or when the window is gone.
    virtual std::string windowTitle(WindowHandle window) = 0;
    // The owning process's identifier, 0 when unknown.
    virtual ProcessId windowProcessId(WindowHandle window) = 0;
    // A top-level window whose title equals `title` exactly, or 0.
    virtual WindowHandle findWindowByTitle(const std::string& title) = 0;

    // Reads the placement; false when the window does not exist.
    virtual bool getWindowPlacement(WindowHandle window, WindowPlacement& placement) = 0;
    // Writes the placement; with showCmd 1 a minimised window is restored and shown.
    virtual bool setWindowPlacement(WindowHandle window, const WindowPlacement& placement) = 0;
    // Makes the window the foreground window (the one that gets the keys).
    virtual bool setForegroundWindow(WindowHandle window) = 0;
    // Raises the window to the top of the z-order.
    virtual bool bringWindowToTop(WindowHandle window) = 0;

    // The top-level window that has the keyboard focus now, 0 if none.
    virtual WindowHandle foregroundWindow() = 0;
    // Whether `window` still names an existing window.
    virtual bool isWindow(WindowHandle window) = 0;

    // Types one character into the window with the keyboard focus, as the user would.
    // '\n' is the Enter key, '\t' the Tab key; every other code point arrives as itself.
    // Returns false when the character could not be delivered.
    virtual bool sendCharacter(char32_t character) = 0;

    // Some desktops let a program type only once the user has allowed it: until then they hold its
    // keys back, and they may drop some when they let them through. Where keys go straight in, the
    // defaults below hold.
    enum class Arrival {
        Arrived,  // every key has come through (or nothing can hold keys back)
        Pending,  // not come through yet: held back, perhaps while the desktop asks the user
        Lost,     // keys sent after them came through, these did not: dropped
        Refused,  // held back, then let through past the desktop: the user refused (the next key is
                  // held again, for a new question), or the desktop took only some keys
    };
    // What became of the keys of the last sendCharacter().
    virtual Arrival lastCharacterArrival() { return Arrival::Arrived; }
    // Sends a key that types nothing, to find out whether keys come through before a character
    // goes out; false when it could not be sent.
    virtual bool sendProbe() { return true; }
    virtual Arrival lastProbeArrival() { return Arrival::Arrived; }
};

}  // namespace quill::platform
