#include "client/activation.h"

namespace quill::client {

bool ActivateWindow(platform::WindowSystem& windows, const platform::WindowHandle& hwnd) {
    platform::WindowPlacement placement{};
    placement.length = 44;
    if (!windows.getWindowPlacement(hwnd, placement)) return false;
    if (placement.showCmd == platform::kShowMinimized) {
        placement.flags = 0;
        placement.showCmd = platform::kShowNormal;
        return windows.setWindowPlacement(hwnd, placement);
    }
    windows.setForegroundWindow(hwnd);
    return windows.bringWindowToTop(hwnd);
}

}  // namespace quill::client
