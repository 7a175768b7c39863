// The game-client windows found at start: three parallel lists (handles, titles, process ids),
// entry k of each describing the same window, in z-order, topmost first.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "client/client_title.h"
#include "platform/window_system.h"

namespace quill::client {

// The three hidden lists of the main window. Never shown to the user.
struct ClientList {
    std::vector<std::string> handles;     // List1(0): handle as signed decimal
    std::vector<std::string> titles;      // List1(1): full title
    std::vector<std::string> processIds;  // List1(2): owning process id as decimal

    std::size_t count() const { return handles.size(); }
    void clear();
};

// Writes a handle the way the list keeps it: read as a signed 32-bit number, plain decimal.
std::string handleText(platform::WindowHandle window);
// Reads a handle back from its list text; 0 when the text is not a handle.
platform::WindowHandle handleFromText(std::string_view text);

// Inspects one window and appends it to the three lists when it is a client window.
void GetWindowInfo(platform::WindowSystem& windows, ClientList& clients, platform::WindowHandle hwnd);

// Clears the lists and inspects the desktop window, then every top-level window from the topmost
// one of `ownWindow`'s z-order level down to the last.
void RefreshClientList(platform::WindowSystem& windows, ClientList& clients,
                       platform::WindowHandle ownWindow);

}  // namespace quill::client
