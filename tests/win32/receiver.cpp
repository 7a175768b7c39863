// A stand-in game client for the end-to-end tests: a window titled "Ultima Online - Empfänger"
// that appends every character it gets (WM_CHAR, surrogate pairs joined, CR recorded as LF) to a
// file as UTF-8, flushed at once.
//   receiver.exe OUTPUT-FILE [--minimized]
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// Headers that need windows.h first.
#include <shellapi.h>

#include <string>

#include "core/unicode.h"

namespace {

HANDLE output = INVALID_HANDLE_VALUE;
wchar_t pendingHigh = 0;

void record(char32_t character) {
    std::string bytes;
    quill::unicode::appendUtf8(bytes, character);
    DWORD written = 0;
    WriteFile(output, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CHAR: {
            const auto unit = static_cast<wchar_t>(wParam);
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                if (pendingHigh) record(0xFFFD);
                pendingHigh = unit;
                return 0;
            }
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                record(pendingHigh
                           ? 0x10000 + ((char32_t(pendingHigh) - 0xD800) << 10) + (char32_t(unit) - 0xDC00)
                           : 0xFFFD);
                pendingHigh = 0;
                return 0;
            }
            if (pendingHigh) record(0xFFFD);
            pendingHigh = 0;
            record(unit == L'\r' ? U'\n' : char32_t(unit));
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count < 2) return 2;
    // Appended at once, unbuffered: the test reads the file while characters still arrive.
    output = CreateFileW(arguments[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) return 3;
    const bool minimized = count > 2 && std::wstring(arguments[2]) == L"--minimized";

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"QuillpostTestReceiver";
    RegisterClassExW(&windowClass);
    const HWND window =
        CreateWindowExW(0, windowClass.lpszClassName, L"Ultima Online - Empf\u00e4nger", WS_OVERLAPPEDWINDOW,
                        620, 40, 360, 240, nullptr, nullptr, instance, nullptr);
    if (!window) return 4;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    // Minimised by the user after it was shown, as a client that waits in the task bar.
    if (minimized) ShowWindow(window, SW_MINIMIZE);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CloseHandle(output);
    return 0;
}
