// The window-system services on Windows: user32 (wide-character functions) and SendInput.
#pragma once

#include <memory>

#include "platform/window_system.h"

namespace quill::platform::win32 {

class Win32WindowSystem : public WindowSystem {
public:
    static std::unique_ptr<Win32WindowSystem> create();
    ~Win32WindowSystem() override = default;
};

}  // namespace quill::platform::win32
