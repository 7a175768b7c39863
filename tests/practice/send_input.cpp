// practice_send_input.exe TITLE TEXT: brings the window titled TITLE to the front and types TEXT
// (UTF-8) into it with SendInput, one UTF-16 unit per key event, as a Windows program would.
// Line feed, tab and backspace go out as the Enter, Tab and Backspace keys.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// Headers that need windows.h first.
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

void sendKey(WORD virtualKey, WORD unit) {
    INPUT inputs[2] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtualKey;
        input.ki.wScan = unit;
        input.ki.dwFlags = virtualKey == 0 ? KEYEVENTF_UNICODE : 0;
    }
    inputs[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
    Sleep(30);
}

}  // namespace

int main() {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args == nullptr || count != 3) {
        std::fprintf(stderr, "usage: practice_send_input TITLE TEXT\n");
        return 2;
    }
    HWND window = nullptr;
    for (int attempt = 0; attempt < 100 && window == nullptr; ++attempt) {
        window = FindWindowW(nullptr, args[1]);
        if (window == nullptr) Sleep(100);
    }
    if (window == nullptr) {
        std::fprintf(stderr, "window not found\n");
        return 1;
    }
    SetForegroundWindow(window);
    Sleep(300);
    const std::wstring text(args[2]);
    for (wchar_t unit : text) {
        if (unit == L'\n') {
            sendKey(VK_RETURN, 0);
        } else if (unit == L'\b') {
            sendKey(VK_BACK, 0);
        } else if (unit == L'\t') {
            sendKey(VK_TAB, 0);
        } else {
            sendKey(0, static_cast<WORD>(unit));
        }
    }
    LocalFree(args);
    return 0;
}
