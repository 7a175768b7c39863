// A stand-in game client for the typing tests of both builds (the Windows program's end-to-end tests,
// and the X11 typing tests with a Win32 window under Wine): a window that appends every character it
// gets (WM_CHAR, surrogate pairs joined, an unpaired half as U+FFFD, CR recorded as LF) to a file as
// UTF-8, written at once.
//   receiver.exe OUTPUT-FILE [--minimized] [--title TITLE] [--ready FILE]
// The title defaults to "Ultima Online - Empfänger"; FILE is created once the window is shown.
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
    bool minimized = false;
    std::wstring title = L"Ultima Online - Empf\u00e4nger";
    std::wstring ready;
    for (int i = 2; i < count; ++i) {
        const std::wstring option = arguments[i];
        if (option == L"--minimized") {
            minimized = true;
        } else if (option == L"--title" && i + 1 < count) {
            title = arguments[++i];
        } else if (option == L"--ready" && i + 1 < count) {
            ready = arguments[++i];
        } else {
            return 2;
        }
    }
    // Appended at once, unbuffered: the test reads the file while characters still arrive.
    output = CreateFileW(arguments[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) return 3;

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"QuillpostTestReceiver";
    RegisterClassExW(&windowClass);
    const HWND window = CreateWindowExW(0, windowClass.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 620,
                                        40, 360, 240, nullptr, nullptr, instance, nullptr);
    if (!window) return 4;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    // Minimised by the user after it was shown, as a client that waits in the task bar.
    if (minimized) ShowWindow(window, SW_MINIMIZE);
    if (!ready.empty()) {
        const HANDLE file = CreateFileW(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 5;
        CloseHandle(file);
    }

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CloseHandle(output);
    return 0;
}
