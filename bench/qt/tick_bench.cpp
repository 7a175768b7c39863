// Cost of one transfer tick with the Linux program's real editor (a QTextEdit behind Text1), on a
// 1 KB and a 1 MB text: a tick reads the editor only after an edit, so it must not grow with the
// text. The cost of the first tick after an edit, which reads the whole text once, is shown too.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTextCursor>
#include <QTextEdit>

#include "app/qt/qt_controls.h"
#include "transfer/transfer_engine.h"

namespace {

using namespace quill;

// One client window, always in front, that swallows every key.
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
    bool setWindowPlacement(platform::WindowHandle, const platform::WindowPlacement&) override {
        return true;
    }
    bool setForegroundWindow(platform::WindowHandle) override { return true; }
    bool bringWindowToTop(platform::WindowHandle) override { return true; }
    platform::WindowHandle foregroundWindow() override { return 2; }
    bool isWindow(platform::WindowHandle) override { return true; }
    bool sendCharacter(char32_t c) override {
        benchmark::DoNotOptimize(c);
        return true;
    }
};

// The engine never lets this timer tick by itself; the benchmark calls tick() directly.
class ManualTimer : public transfer::PacingTimer {
  public:
    bool enabled() const override { return on; }
    void setEnabled(bool value) override { on = value; }
    int interval() const override { return 200; }
    void setInterval(int) override {}
    bool on = false;
};

QString textOf(std::size_t bytes) {
    const QString line = QString::fromUtf8("Ein Buch für Britannia, Seite um Seite. äöü €\n");
    QString text;
    while (static_cast<std::size_t>(text.size()) * 2 < bytes) text += line;
    return text;
}

client::ClientList oneClient() {
    client::ClientList clients;
    clients.handles = {"2"};
    clients.titles = {"Ultima Online - Bench"};
    clients.processIds = {"1"};
    return clients;
}

void BM_QtEditorTick(benchmark::State& state) {
    QTextEdit edit;
    edit.setPlainText(textOf(static_cast<std::size_t>(state.range(0))));
    qt::RichTextEditor editor(edit);
    ClientAlwaysInFront desktop;
    ManualTimer timer;
    transfer::TransferEngine engine(desktop, editor, timer);
    const client::ClientList clients = oneClient();
    engine.start(clients);
    engine.tick();
    for (auto _ : state) {
        if (!timer.enabled()) engine.start(clients);
        benchmark::DoNotOptimize(engine.tick());
    }
    state.SetLabel(std::to_string(state.range(0) / 1024) + " KiB text");
}
BENCHMARK(BM_QtEditorTick)->Arg(1024)->Arg(1024 * 1024);

void BM_QtEditorTickAfterEdit(benchmark::State& state) {
    QTextEdit edit;
    edit.setPlainText(textOf(static_cast<std::size_t>(state.range(0))));
    qt::RichTextEditor editor(edit);
    ClientAlwaysInFront desktop;
    ManualTimer timer;
    transfer::TransferEngine engine(desktop, editor, timer);
    const client::ClientList clients = oneClient();
    engine.start(clients);
    QTextCursor end(edit.document());
    end.movePosition(QTextCursor::End);
    for (auto _ : state) {
        state.PauseTiming();
        end.insertText(QStringLiteral("x"));  // the user types one character during the transfer
        if (!timer.enabled()) engine.start(clients);
        state.ResumeTiming();
        benchmark::DoNotOptimize(engine.tick());
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
