// Bringing a client window to the front so that it gets the keys.
#pragma once

#include "platform/window_system.h"

namespace quill::client {

// A minimised window is restored by writing its placement back with showCmd 1; any other window is
// made the foreground window and raised. Returns the result of the deciding call; false at once when
// the placement cannot be read (no such window).
bool ActivateWindow(platform::WindowSystem& windows, const platform::WindowHandle& hwnd);

}  // namespace quill::client
