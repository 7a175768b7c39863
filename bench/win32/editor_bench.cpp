// Opening and pasting large texts in the Windows program's real editor (a shown RichEdit behind
// Text1): plain text and RTF of 10k, 50k (the editor limit), 100k, 300k and 1M short lines, and one line of
// 64 MiB. For each it prints the time until the window answers again, the peak memory it took, and the cost
// of the first transfer tick afterwards (which reads the whole text) and of every other tick. Every
// measurement runs in a process of its own (peak memory is its own; a case that is not done within the time
// limit, first argument in seconds, 60 by default, is stopped). Run it under Wine with a display, with
// absolute paths, e.g. from the repository folder:
//   tests/win32/wine_gui_test.sh $PWD/build/windows/wineprefix 97 $PWD/build/windows/src/app/win32
//       /tmp/bench run $PWD/build/windows/bench/win32/win32_editor_bench.exe
#include <windows.h>
// Headers that need windows.h first.
#include <psapi.h>
#include <richedit.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <variant>
#include <vector>

#include "app/win32/controls.h"
#include "document/open_document.h"
#include "platform/win32/wide_text.h"
#include "support/large_texts.h"

namespace {

using namespace quill;
using Clock = std::chrono::steady_clock;

using testing::LargeText;

std::size_t peakBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

void drainMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void putOnClipboard(HWND owner, UINT format, const void* data, std::size_t bytes) {
    OpenClipboard(owner);
    EmptyClipboard();
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(GlobalLock(memory), data, bytes);
    GlobalUnlock(memory);
    SetClipboardData(format, memory);
    CloseClipboard();
}

// In a child process: one open or one paste into a shown editor, then the ticks.
int measure(const LargeText& item, bool paste) {
    const HWND host = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600,
                                      400, nullptr, nullptr, nullptr, nullptr);
    const HWND edit =
        CreateWindowExW(0, MSFTEDIT_CLASS, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE, 0, 0, 570,
                        330, host, nullptr, nullptr, nullptr);
    if (!edit) return 1;
    app::win32::RichTextEditor editor;
    editor.attach(edit, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    drainMessages();
    std::string refused;
    editor.setPasteCheck(testing::pasteCheckAsTheProgramDoes(editor, refused));
    if (paste) {
        // The clipboard holds the text as another program offers it: plain, or as RTF.
        std::ifstream in(item.file, std::ios::binary);
        std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (item.rich) {
            bytes.push_back('\0');
            putOnClipboard(host, RegisterClipboardFormatW(L"Rich Text Format"), bytes.data(), bytes.size());
        } else {
            auto result = document::readDocument(
                {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, "bench");
            if (const auto* failure = std::get_if<document::Failure>(&result)) {
                std::printf("%-20s paste: not read (%s)\n", item.name.c_str(), failure->message.c_str());
                return 0;
            }
            std::wstring text;
            for (const wchar_t c : platform::win32::toWide(std::get<document::Document>(result).plainText()))
                text += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
            putOnClipboard(host, CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        }
    }
    const std::size_t before = peakBytes();
    const auto begin = Clock::now();
    if (paste) {
        SendMessageW(edit, WM_PASTE, 0, 0);
    } else {
        refused = testing::openAsTheProgramDoes(item, editor);
    }
    drainMessages();
    UpdateWindow(edit);
    const double answered = testing::millisecondsSince(begin);
    const std::size_t peak = peakBytes() - before;

    testing::reportWithTicks(item, paste, answered, static_cast<long long>(peak >> 20), editor, refused);
    DestroyWindow(host);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (!LoadLibraryW(L"Msftedit.dll")) return 1;
    const std::vector<LargeText> list = testing::largeTexts("quill-editor-bench-");
    if (argc == 4 && std::string(argv[1]) == "child") {
        return measure(list.at(static_cast<std::size_t>(std::atoi(argv[2]))),
                       std::string(argv[3]) == "paste");
    }
    const DWORD limitSeconds = argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 60;
    testing::writeLargeTexts(list);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    testing::printLargeTextHeader();
    const std::string only = argc > 2 ? argv[2] : "";  // a part of the cases' names, to run only those
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].name.find(only) == std::string::npos) continue;
        for (const char* operation : {"open", "paste"}) {
            std::wstring command = L"\"" + std::wstring(self) + L"\" child " + std::to_wstring(i) + L" " +
                                   platform::win32::toWide(operation);
            STARTUPINFOW startup{};
            startup.cb = sizeof startup;
            PROCESS_INFORMATION process{};
            if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                &startup, &process))
                return 1;
            if (WaitForSingleObject(process.hProcess, limitSeconds * 1000) == WAIT_TIMEOUT) {
                TerminateProcess(process.hProcess, 1);
                WaitForSingleObject(process.hProcess, INFINITE);
                std::printf("%-20s %-5s  > %lu s: still busy, stopped\n", list[i].name.c_str(), operation,
                            static_cast<unsigned long>(limitSeconds));
                std::fflush(stdout);
            }
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    for (const LargeText& item : list) std::filesystem::remove(item.file);
    return 0;
}
