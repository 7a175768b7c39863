// FrmMain's menu bar, built from the menu table, and its keyboard shortcuts.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "app/layout.h"

namespace quill::app::win32 {

// The command identifier of the menu table's item at `index`.
int menuCommandId(std::size_t index);
// The item a WM_COMMAND identifier names, or nullptr when it names none.
const layout::MenuItem* menuItemOf(int commandId);

// Gives `window` the "Datei" menu and the items on the bar itself. Returns the table of the
// items' shortcuts (Ctrl+N ...), owned by the caller, or nullptr when there are none.
HACCEL buildMenu(HWND window);

}  // namespace quill::app::win32
