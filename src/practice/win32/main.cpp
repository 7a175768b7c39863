// QuillpostPractice.exe: the practice client as a native Windows program. It paints the same two
// facing pages as the Qt program and takes its characters from WM_CHAR.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// Headers that need windows.h first.
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/win32/wide_text.h"
#include "practice/practice_client.h"
#include "practice/recorder.h"
#include "practice/win32/book_widget.h"

namespace {

std::vector<std::string> commandLineArguments() {
    int count = 0;
    LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; list != nullptr && i < count; ++i)
        arguments.push_back(quill::platform::win32::fromWide(list[i]));
    LocalFree(list);
    return arguments;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    using namespace quill::practice;
    using quill::practice::win32::BookWidget;
    using quill::practice::win32::showMessage;
    SetProcessDPIAware();
    const ParsedOptions parsed = parseOptions(commandLineArguments());
    if (!parsed.error.empty()) {
        showMessage(nullptr, parsed.error + "\n\n" + std::string(kUsage));
        return 2;
    }
    if (parsed.options.showUsage) {
        showMessage(nullptr, std::string(kUsage));
        return 0;
    }
    Recorder recorder;
    if (parsed.options.recordFile && !recorder.open(*parsed.options.recordFile)) {
        showMessage(nullptr, recorder.error());
        return 2;
    }

    BookWidget book(recorder);
    const HWND window = book.create(instance, parsed.options.title);
    if (window == nullptr) {
        showMessage(nullptr, "Das Fenster des Übungsbuchs kann nicht angelegt werden (Systemfehler " +
                                 std::to_string(GetLastError()) + ").");
        return 2;
    }
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
