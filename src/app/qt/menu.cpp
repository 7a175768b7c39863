#include "app/qt/menu.h"

#include <QAction>
#include <QMenuBar>

#include "app/qt/controls.h"

namespace quill::app::qt {

std::vector<MenuEntry> buildMenu(QMenuBar& bar) {
    std::vector<MenuEntry> entries;
    QMenu* datei = nullptr;
    for (const layout::MenuItem& item : layout::mainMenu()) {
        const QString caption = toQtText(item.caption);
        if (item.name == "mnu_datei") {
            datei = bar.addMenu(caption);
            datei->setObjectName(toQtText(item.name));
            continue;
        }
        QAction* action = nullptr;
        if (item.inDateiMenu && item.caption == "-") {
            action = datei->addSeparator();
        } else if (item.inDateiMenu) {
            action = datei->addAction(caption);
            if (!item.shortcut.empty()) action->setShortcut(QKeySequence(toQtText(item.shortcut)));
        } else {
            action = bar.addAction(caption);
        }
        action->setObjectName(toQtText(item.name));
        entries.push_back({&item, action});
    }
    return entries;
}

}  // namespace quill::app::qt
