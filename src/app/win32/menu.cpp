#include "app/win32/menu.h"

#include <string>
#include <string_view>
#include <vector>

#include "app/win32/resource_ids.h"
#include "platform/win32/wide_text.h"

namespace quill::app::win32 {

using platform::win32::toWide;

namespace {

// "Ctrl+N" -> Ctrl with the N key.
bool parseShortcut(std::string_view shortcut, ACCEL& accel) {
    constexpr std::string_view kCtrl = "Ctrl+";
    if (shortcut.size() != kCtrl.size() + 1 || shortcut.substr(0, kCtrl.size()) != kCtrl) return false;
    const char key = shortcut.back();
    if (!((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) return false;
    accel.fVirt = FCONTROL | FVIRTKEY;
    accel.key = static_cast<WORD>(key);
    return true;
}

}  // namespace

int menuCommandId(std::size_t index) {
    return QUILL_FIRST_MENU_ID + static_cast<int>(index);
}

const layout::MenuItem* menuItemOf(int commandId) {
    const auto items = layout::mainMenu();
    if (commandId < QUILL_FIRST_MENU_ID || commandId >= menuCommandId(items.size())) return nullptr;
    return &items[static_cast<std::size_t>(commandId - QUILL_FIRST_MENU_ID)];
}

HACCEL buildMenu(HWND window) {
    const HMENU bar = CreateMenu();
    const HMENU datei = CreatePopupMenu();
    std::vector<ACCEL> accelerators;
    const auto items = layout::mainMenu();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const layout::MenuItem& item = items[i];
        std::wstring caption = toWide(item.caption);
        if (!item.inDateiMenu) {
            if (item.name == "mnu_datei") {
                AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(datei), caption.c_str());
            } else {
                AppendMenuW(bar, MF_STRING, static_cast<UINT_PTR>(menuCommandId(i)), caption.c_str());
            }
            continue;
        }
        if (item.caption == "-") {
            AppendMenuW(datei, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        if (!item.shortcut.empty()) caption += L"\t" + toWide(item.shortcut);
        AppendMenuW(datei, MF_STRING, static_cast<UINT_PTR>(menuCommandId(i)), caption.c_str());
        ACCEL accel{};
        if (parseShortcut(item.shortcut, accel)) {
            accel.cmd = static_cast<WORD>(menuCommandId(i));
            accelerators.push_back(accel);
        }
    }
    SetMenu(window, bar);
    if (accelerators.empty()) return nullptr;
    return CreateAcceleratorTableW(accelerators.data(), static_cast<int>(accelerators.size()));
}

}  // namespace quill::app::win32
