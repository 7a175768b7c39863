// FrmMain's menu bar, built from the menu table.
#pragma once

#include <vector>

#include "app/layout.h"

class QAction;
class QMenuBar;

namespace quill::app::qt {

// One item of the table and the action that shows it (a separator's too).
struct MenuEntry {
    const layout::MenuItem* item;
    QAction* action;
};

// Fills `bar` with the "Datei" menu and the items on the bar itself, with their shortcuts.
std::vector<MenuEntry> buildMenu(QMenuBar& bar);

}  // namespace quill::app::qt
