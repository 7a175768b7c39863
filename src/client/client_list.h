// The game-client windows found at start: one record per window (handle, title, owning process),
// in z-order, topmost first. Never shown to the user.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/window_system.h"

namespace quill::client {

// Every window whose title starts with these 15 characters is a game client.
inline constexpr std::string_view kClientTitlePrefix = "Ultima Online -";

// True when `title` begins with the client prefix (exact, case-sensitive).
bool isClientTitle(std::string_view title);

// One found client: entry k of List1(0), List1(1) and List1(2) of the main window.
struct ClientWindow {
    platform::WindowHandle handle = platform::kNoWindow;
    std::string title;
    platform::ProcessId processId = 0;

    // The handle as List1(0) writes it: read as a signed 32-bit number, plain decimal.
    std::string handleText() const;
    bool operator==(const ClientWindow&) const = default;
};

using ClientList = std::vector<ClientWindow>;

// Inspects one window and appends it to the list when it is a client window.
void GetWindowInfo(platform::WindowSystem& windows, ClientList& clients, platform::WindowHandle hwnd);

// Clears the list and inspects the desktop window, then every top-level window from the topmost
// one of `ownWindow`'s z-order level down to the last.
void RefreshClientList(platform::WindowSystem& windows, ClientList& clients,
                       platform::WindowHandle ownWindow);

}  // namespace quill::client
