// The window-system services on X11: Xlib, XTest and XKB, with EWMH where a window manager offers it.
#pragma once

#include <memory>
#include <string>

#include "platform/window_system.h"

namespace quill::platform::x11 {

class X11WindowSystem : public WindowSystem {
  public:
    // Connects to `displayName` (nullptr: $DISPLAY). Returns nullptr when no X server answers;
    // `error` then says why, in German.
    static std::unique_ptr<X11WindowSystem> open(const char* displayName, std::string* error = nullptr);
    ~X11WindowSystem() override = default;
};

}  // namespace quill::platform::x11
