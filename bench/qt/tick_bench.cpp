// Cost of one transfer tick with the Linux program's real editor (a QTextEdit behind Text1), on a
// 1 KB and a 1 MB text: a tick reads the editor only after an edit, so it must not grow with the
// text. The cost of the first tick after an edit, which reads the whole text once, is shown too.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTextCursor>
#include <QTextEdit>

#include "app/qt/controls.h"
#include "support/bench_desktop.h"
#include "transfer/transfer_engine.h"

namespace {

using namespace quill;

QString textOf(std::size_t bytes) {
    const QString line = QString::fromUtf8("Ein Buch für Britannia, Seite um Seite. äöü €\n");
    QString text;
    while (static_cast<std::size_t>(text.size()) * 2 < bytes) text += line;
    return text;
}

void BM_QtEditorTick(benchmark::State& state) {
    QTextEdit edit;
    edit.setPlainText(textOf(static_cast<std::size_t>(state.range(0))));
    app::qt::RichTextEditor editor(edit);
    testing::BenchTransfer transfer(editor);
    transfer.tick();
    for (auto _ : state) benchmark::DoNotOptimize(transfer.tick());
    state.SetLabel(std::to_string(state.range(0) / 1024) + " KiB text");
}
BENCHMARK(BM_QtEditorTick)->Arg(1024)->Arg(1024 * 1024);

void BM_QtEditorTickAfterEdit(benchmark::State& state) {
    QTextEdit edit;
    edit.setPlainText(textOf(static_cast<std::size_t>(state.range(0))));
    app::qt::RichTextEditor editor(edit);
    testing::BenchTransfer transfer(editor);
    QTextCursor end(edit.document());
    end.movePosition(QTextCursor::End);
    for (auto _ : state) {
        state.PauseTiming();
        end.insertText(QStringLiteral("x"));  // the user types one character during the transfer
        state.ResumeTiming();
        benchmark::DoNotOptimize(transfer.tick());
    }
    state.SetLabel(std::to_string(state.range(0) / 1024) + " KiB text, re-read once per edit");
}
BENCHMARK(BM_QtEditorTickAfterEdit)->Arg(1024)->Arg(1024 * 1024)->Iterations(200);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
