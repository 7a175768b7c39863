// Cost of one transfer tick on a 1 KB and a 1 MB text: a tick must not grow with the text.
#include <benchmark/benchmark.h>

#include "support/bench_desktop.h"
#include "support/fake_controls.h"
#include "transfer/transfer_engine.h"

namespace {

using namespace quill;

void BM_TransferTick(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0));
    std::u16string text;
    const std::u16string line = u"Ein Buch für Britannia, Seite um Seite. äöü €\r\n";
    while (text.size() < bytes / 2) text += line;

    testing::FakeEditor editor;
    editor.setText(text);
    testing::BenchTransfer transfer(editor);
    transfer.tick();  // the first tick after an edit reads the text once
    for (auto _ : state) benchmark::DoNotOptimize(transfer.tick());
    state.SetLabel(std::to_string(text.size() * 2 / 1024) + " KiB text");
}
BENCHMARK(BM_TransferTick)->Arg(1024)->Arg(1024 * 1024);

// An edit between two ticks makes the next tick read the text again: the price of an edit.
void BM_TickAfterEdit(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0));
    std::u16string text(bytes / 2, u'x');
    testing::FakeEditor editor;
    editor.setText(text);
    testing::BenchTransfer transfer(editor);
    for (auto _ : state) {
        state.PauseTiming();
        editor.setText(text);
        state.ResumeTiming();
        benchmark::DoNotOptimize(transfer.tick());
    }
}
BENCHMARK(BM_TickAfterEdit)->Arg(1024)->Arg(1024 * 1024);

}  // namespace

BENCHMARK_MAIN();
