// Cost of one transfer tick on a 1 KB and a 1 MB text: a tick must not grow with the text.
#include <benchmark/benchmark.h>

#include "support/fake_controls.h"
#include "transfer/transfer_engine.h"

namespace {

using namespace quill;

// A desktop with one client window that is always in front and swallows every key.
class ClientAlwaysInFront : public platform::WindowSystem {
public:
    platform::WindowHandle desktopWindow() override { return 1; }
    platform::WindowHandle firstWindow(platform::WindowHandle) override { return 2; }
    platform::WindowHandle nextWindow(platform::WindowHandle) override { return 0; }
    std::string windowTitle(platform::WindowHandle) override { return "Ultima Online - Bench"; }
    platform::ProcessId windowProcessId(platform::WindowHandle) override { return 1; }
    platform::WindowHandle findWindowByTitle(const std::string&) override { return 2; }
    bool getWindowPlacement(platform::WindowHandle, platform::WindowPlacement& p) override {
        p.showCmd = platform::kShowNormal;
        return true;
    }
    bool setWindowPlacement(platform::WindowHandle, const platform::WindowPlacement&) override { return true; }
    bool setForegroundWindow(platform::WindowHandle) override { return true; }
    bool bringWindowToTop(platform::WindowHandle) override { return true; }
    platform::WindowHandle foregroundWindow() override { return 2; }
    bool isWindow(platform::WindowHandle) override { return true; }
    bool sendCharacter(char32_t c) override {
        benchmark::DoNotOptimize(c);
        return true;
    }
};

void BM_TransferTick(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0));
    std::u16string text;
    const std::u16string line = u"Ein Buch für Britannia, Seite um Seite. äöü €\r\n";
    while (text.size() < bytes / 2) text += line;

    ClientAlwaysInFront desktop;
    testing::FakeEditor editor;
    editor.setText(text);
    testing::FakeTimer timer;
    transfer::TransferEngine engine(desktop, editor, timer);
    client::ClientList clients;
    clients.handles = {"2"};
    clients.titles = {"Ultima Online - Bench"};
    clients.processIds = {"1"};
    engine.start(clients);
    engine.tick();  // the first tick after an edit reads the text once

    for (auto _ : state) {
        if (!timer.enabled()) engine.start(clients);
        benchmark::DoNotOptimize(engine.tick());
    }
    state.SetLabel(std::to_string(text.size() * 2 / 1024) + " KiB text");
}
BENCHMARK(BM_TransferTick)->Arg(1024)->Arg(1024 * 1024);

// An edit between two ticks makes the next tick read the text again: the price of an edit.
void BM_TickAfterEdit(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0));
    std::u16string text(bytes / 2, u'x');
    ClientAlwaysInFront desktop;
    testing::FakeEditor editor;
    editor.setText(text);
    testing::FakeTimer timer;
    transfer::TransferEngine engine(desktop, editor, timer);
    client::ClientList clients;
    clients.handles = {"2"};
    clients.titles = {"Ultima Online - Bench"};
    clients.processIds = {"1"};
    engine.start(clients);
    for (auto _ : state) {
        state.PauseTiming();
        editor.setText(text);
        if (!timer.enabled()) engine.start(clients);
        state.ResumeTiming();
        benchmark::DoNotOptimize(engine.tick());
    }
}
BENCHMARK(BM_TickAfterEdit)->Arg(1024)->Arg(1024 * 1024);

}  // namespace

BENCHMARK_MAIN();
