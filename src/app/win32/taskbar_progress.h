// How far a transfer has come, on the main window's task-bar button (ITaskbarList3).
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "transfer/progress.h"

struct ITaskbarList3;

namespace quill::app::win32 {

class TaskbarProgress {
  public:
    TaskbarProgress();
    ~TaskbarProgress();
    TaskbarProgress(const TaskbarProgress&) = delete;
    TaskbarProgress& operator=(const TaskbarProgress&) = delete;

    // The message the shell sends a window once its task-bar button exists.
    UINT buttonCreatedMessage() const { return buttonCreated_; }
    // Connects to the task bar for `window` (once its button exists) and shows `progress` there.
    void connect(HWND window, const transfer::TransferProgress& progress);
    // Shows `progress` when it differs from what the button shows.
    void show(const transfer::TransferProgress& progress);
    // Lets go of the task bar (the window is going).
    void disconnect();

  private:
    void update(const transfer::TransferProgress& progress);

    UINT buttonCreated_ = 0;
    HWND window_ = nullptr;
    ITaskbarList3* taskbar_ = nullptr;
    transfer::TransferProgress shown_;
};

}  // namespace quill::app::win32
