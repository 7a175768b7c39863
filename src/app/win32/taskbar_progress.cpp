#include "app/win32/taskbar_progress.h"

#include <shobjidl.h>

namespace quill::app::win32 {

TaskbarProgress::TaskbarProgress() : buttonCreated_(RegisterWindowMessageW(L"TaskbarButtonCreated")) {}

TaskbarProgress::~TaskbarProgress() {
    disconnect();
}

void TaskbarProgress::connect(HWND window, const transfer::TransferProgress& progress) {
    if (taskbar_) return;
    ITaskbarList3* taskbar = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&taskbar))))
        return;
    if (FAILED(taskbar->HrInit())) {
        taskbar->Release();
        return;
    }
    taskbar_ = taskbar;
    window_ = window;
    update(progress);
}

void TaskbarProgress::show(const transfer::TransferProgress& progress) {
    if (taskbar_ && progress != shown_) update(progress);
}

void TaskbarProgress::disconnect() {
    if (taskbar_) taskbar_->Release();
    taskbar_ = nullptr;
    window_ = nullptr;
}

void TaskbarProgress::update(const transfer::TransferProgress& progress) {
    // Paused while the client is not in front.
    using State = transfer::TransferProgress::State;
    if (progress.state == State::None) {
        taskbar_->SetProgressState(window_, TBPF_NOPROGRESS);
    } else {
        taskbar_->SetProgressState(window_, progress.state == State::Paused ? TBPF_PAUSED : TBPF_NORMAL);
        taskbar_->SetProgressValue(window_, progress.sent, progress.total == 0 ? 1 : progress.total);
    }
    shown_ = progress;
}

}  // namespace quill::app::win32
