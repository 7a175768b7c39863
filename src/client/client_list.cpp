#include "client/client_list.h"

#include <cstdint>

namespace quill::client {

bool isClientTitle(std::string_view title) {
    return title.substr(0, kClientTitlePrefix.size()) == kClientTitlePrefix;
}

std::string ClientWindow::handleText() const {
    return std::to_string(static_cast<std::int32_t>(handle));
}

void GetWindowInfo(platform::WindowSystem& windows, ClientList& clients, platform::WindowHandle hwnd) {
    std::string title = windows.windowTitle(hwnd);
    if (!isClientTitle(title)) return;
    clients.push_back(ClientWindow{hwnd, std::move(title), windows.windowProcessId(hwnd)});
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
