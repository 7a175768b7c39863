// Opening and pasting large texts in the Linux program's real editor (a visible QTextEdit behind
// Text1): plain text and RTF of 10k, 50k (the editor limit), 100k, 300k and 1M short lines, and one line of
// 64 MiB. For each it prints the time until the window answers again, the peak memory it took, and the cost
// of the first transfer tick afterwards (which reads the whole text) and of every other tick. Every
// measurement runs in a process of its own, so that peak memory is its own and a case that does not finish
// within the time limit (first argument, seconds; 60 by default) is stopped.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTextEdit>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "app/qt/controls.h"
#include "document/open_document.h"
#include "support/large_texts.h"

namespace {

using namespace quill;
using Clock = std::chrono::steady_clock;

using testing::LargeText;

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// In a child process: one open or one paste into a shown editor, then the ticks.
int measure(const LargeText& item, bool paste) {
    int argc = 1;
    char name[] = "load_bench";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    app::qt::PasteCheckingTextEdit edit;
    edit.resize(570, 330);
    edit.show();
    QApplication::processEvents();
    app::qt::RichTextEditor editor(edit);
    std::string refused;
    edit.setPasteCheck(testing::pasteCheckAsTheProgramDoes(editor, refused));
    if (paste) {
        // The clipboard holds the text as another program offers it: plain, and rich text also as HTML.
        auto result = document::readDocumentFile(item.file);
        if (const auto* failure = std::get_if<document::Failure>(&result)) {
            std::printf("%-20s paste: not read (%s)\n", item.name.c_str(), failure->message.c_str());
            std::fflush(stdout);
            return 0;
        }
        auto* data = new QMimeData;
        const document::Document& text = std::get<document::Document>(result);
        data->setText(app::qt::toQtText(text.plainText()));
        if (item.rich) {
            // As a word processor offers it: HTML, one paragraph a line, bold runs in <b>.
            QString html = QStringLiteral("<html><body><p>");
            for (const document::TextRun& run : text.runs) {
                QString part = app::qt::toQtText(run.text).toHtmlEscaped();
                part.replace(QLatin1Char('\n'), QStringLiteral("</p><p>"));
                html += run.format.bold ? QStringLiteral("<b>") + part + QStringLiteral("</b>") : part;
            }
            data->setHtml(html + QStringLiteral("</p></body></html>"));
        }
        QApplication::clipboard()->setMimeData(data);
    }
    const long before = peakKiB();
    const auto begin = Clock::now();
    if (paste) {
        edit.paste();
    } else {
        refused = testing::openAsTheProgramDoes(item, editor);
    }
    QApplication::processEvents();
    edit.repaint();
    const double answered = testing::millisecondsSince(begin);
    const long peak = peakKiB() - before;

    testing::reportWithTicks(item, paste, answered, peak / 1024, editor, refused);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const int limitSeconds = argc > 1 ? std::atoi(argv[1]) : 60;
    const std::vector<LargeText> cases = testing::largeTexts("quill-load-bench-");
    testing::writeLargeTexts(cases);
    testing::printLargeTextHeader();
    const std::string only = argc > 2 ? argv[2] : "";  // a part of the cases' names, to run only those
    for (const LargeText& item : cases) {
        if (item.name.find(only) == std::string::npos) continue;
        for (const bool paste : {false, true}) {
            std::fflush(stdout);
            const pid_t child = fork();
            if (child == 0) _exit(measure(item, paste));
            const auto begin = Clock::now();
            int status = 0;
            while (waitpid(child, &status, WNOHANG) == 0) {
                if (Clock::now() - begin > std::chrono::seconds(limitSeconds)) {
                    kill(child, SIGKILL);
                    waitpid(child, &status, 0);
                    std::printf("%-20s %-5s  > %d s: still busy, stopped\n", item.name.c_str(),
                                paste ? "paste" : "open", limitSeconds);
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        }
    }
    for (const LargeText& item : cases) std::filesystem::remove(item.file);
    return 0;
}
