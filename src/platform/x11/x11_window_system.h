// The window-system services on X11: Xlib, XTest and XKB, with EWMH where a window manager offers it.
#pragma once

#include <memory>
#include <string>

#include "platform/window_system.h"

namespace quill::platform::x11 {

// - Top-level windows, topmost first: the window manager's _NET_CLIENT_LIST_STACKING where an EWMH
//   manager runs (the windows it manages); otherwise the root's children that are not
//   override-redirect (menus, tooltips), each replaced by the client inside carrying WM_STATE.
//   firstWindow() takes a snapshot whatever window it is given (also the program's own window
//   before it is shown); nextWindow() walks that snapshot.
// - The foreground window is the top-level window holding the keyboard focus; while the manager
//   names another window active (a switch under way), there is none.
// - X errors of our requests (a window that vanished) are failures of the call, never the end of
//   the program.
class X11WindowSystem : public WindowSystem {
  public:
    // Connects to `displayName` (nullptr: $DISPLAY). Returns nullptr when no X server answers;
    // `error` then says why, in German.
    static std::unique_ptr<X11WindowSystem> open(const char* displayName, std::string* error = nullptr);
    ~X11WindowSystem() override = default;
};

}  // namespace quill::platform::x11
