// Shows a running transfer's progress on the program's task-bar button, through the launcher-entry
// D-Bus signal that Plasma, Dock panels and other Linux task bars understand. Where no session bus
// or no such task bar exists, the signal goes nowhere and nothing else changes.
#pragma once

#include <QDBusConnection>
#include <QString>

#include "transfer/progress.h"

namespace quill::app::qt {

class TaskbarProgress {
  public:
    // `desktopFile` names the program's .desktop file, which the task bar matches the button by.
    explicit TaskbarProgress(QDBusConnection bus = QDBusConnection::sessionBus(),
                             const QString& desktopFile = QStringLiteral("quillpost.desktop"));

    // Sends an update when the shown state or value changes; a transfer that is not running hides
    // the progress. A paused transfer keeps its value.
    void show(const transfer::TransferProgress& progress);

    static QString interfaceName() { return QStringLiteral("com.canonical.Unity.LauncherEntry"); }

  private:
    QDBusConnection bus_;
    QString appUri_;
    QString objectPath_;
    bool visible_ = false;
    double shownFraction_ = -1;
};

}  // namespace quill::app::qt
