// Cost of one transfer tick with the real RichEdit behind Text1, on a 1 KB and a 1 MB text, and the
// cost of the first tick after an edit (the only one that reads the text). Prints figures; run it
// under Wine with a display (absolute paths), e.g. from the repository folder:
//   tests/win32/wine_gui_test.sh $PWD/build/windows/wineprefix 97 $PWD/build/windows/src/app/win32
//       /tmp/bench run $PWD/build/windows/bench/win32/win32_tick_bench.exe
#include <windows.h>
// Headers that need windows.h first.
#include <richedit.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "app/win32/controls.h"
#include "support/bench_desktop.h"
#include "transfer/transfer_engine.h"

namespace {

using namespace quill;

double microseconds(std::chrono::steady_clock::duration duration) {
    return std::chrono::duration<double, std::micro>(duration).count();
}

void measure(HWND edit, std::size_t bytes) {
    std::wstring text;
    const std::wstring line = L"Ein Buch f\u00fcr Britannia, Seite um Seite. \u00e4\u00f6\u00fc \u20ac\r\n";
    while (text.size() * 2 < bytes) text += line;
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));

    app::win32::RichTextEditor editor;
    editor.attach(edit, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    testing::BenchTransfer transfer(editor);

    // The first tick after an edit reads the whole text from the control.
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"!"));
    auto begin = std::chrono::steady_clock::now();
    transfer.engine.tick();
    const double firstTick = microseconds(std::chrono::steady_clock::now() - begin);

    // Every other tick: restarts at the end of the text are not counted.
    constexpr int kTicks = 20000;
    std::chrono::steady_clock::duration total{};
    for (int i = 0; i < kTicks; ++i) {
        if (!transfer.timer.enabled()) transfer.engine.start(transfer.clients);
        begin = std::chrono::steady_clock::now();
        transfer.engine.tick();
        total += std::chrono::steady_clock::now() - begin;
    }
    const double perTick = microseconds(total) / kTicks;
    std::printf("%8zu KiB text: first tick after an edit %10.1f us, every other tick %8.3f us\n",
                text.size() * 2 / 1024, firstTick, perTick);
}

}  // namespace

int main() {
    if (!LoadLibraryW(L"Msftedit.dll")) return 1;
    const HWND host =
        CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr, nullptr, nullptr);
    const HWND edit = CreateWindowExW(0, MSFTEDIT_CLASS, L"", WS_CHILD | ES_MULTILINE, 0, 0, 600, 400, host,
                                      nullptr, nullptr, nullptr);
    if (!edit) return 1;
    SendMessageW(edit, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    std::printf("Transfer tick with the RichEdit behind Text1:\n");
    measure(edit, 1024);
    measure(edit, 1024 * 1024);
    DestroyWindow(host);
    return 0;
}
