#include "client/client_list.h"

#include <charconv>
#include <cstdint>

namespace quill::client {

void ClientList::clear() {
    handles.clear();
    titles.clear();
    processIds.clear();
}

std::string handleText(platform::WindowHandle window) {
    return std::to_string(static_cast<std::int32_t>(window));
}

platform::WindowHandle handleFromText(std::string_view text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return platform::kNoWindow;
    return static_cast<platform::WindowHandle>(value);
}

void GetWindowInfo(platform::WindowSystem& windows, ClientList& clients, platform::WindowHandle hwnd) {
    const std::string title = windows.windowTitle(hwnd);
    if (!isClientTitle(title)) return;
    clients.handles.push_back(handleText(hwnd));
    clients.titles.push_back(title);
    clients.processIds.push_back(std::to_string(windows.windowProcessId(hwnd)));
}

void RefreshClientList(platform::WindowSystem& windows, ClientList& clients,
                       platform::WindowHandle ownWindow) {
    clients.clear();
    GetWindowInfo(windows, clients, windows.desktopWindow());
    platform::WindowHandle current = windows.firstWindow(ownWindow);
    // The first window is inspected before any test, as a walk that starts at a valid window would.
    do {
        GetWindowInfo(windows, clients, current);
        current = windows.nextWindow(current);
    } while (current != platform::kNoWindow);
}

}  // namespace quill::client
