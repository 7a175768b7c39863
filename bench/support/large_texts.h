// For the editor benchmarks of both programs: the large texts they open and paste, opening one as the
// open command does, and the transfer ticks measured right after.
#pragma once

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "app/controls.h"
#include "app/editor_limits.h"
#include "document/open_document.h"
#include "support/bench_desktop.h"

namespace quill::testing {

struct LargeText {
    std::string name;
    std::filesystem::path file;
    bool rich;
    long lines;  // 0: the one long line
};

// Plain text and RTF of 10k, 50k (the editor limit), 100k, 300k and 1M short lines, and one line of
// 64 MiB; the files are named after `prefix` in the temporary folder, so that a parent and its child
// processes name the same files.
inline std::vector<LargeText> largeTexts(const std::string& prefix) {
    std::vector<LargeText> list;
    const auto folder = std::filesystem::temp_directory_path();
    for (const long lines : {10'000L, 50'000L, 100'000L, 300'000L, 1'000'000L}) {
        const std::string count = std::to_string(lines / 1000) + "k lines";
        list.push_back({"plain " + count, folder / (prefix + std::to_string(lines) + ".txt"), false, lines});
        list.push_back({"RTF   " + count, folder / (prefix + std::to_string(lines) + ".rtf"), true, lines});
    }
    list.push_back({"one line of 64 MiB", folder / (prefix + "line.txt"), false, 0});
    return list;
}

inline void writeLargeTexts(const std::vector<LargeText>& list) {
    for (const LargeText& item : list) {
        std::string text;
        if (item.lines == 0) {
            while (text.size() + 10 <= document::kMaxDocumentBytes) text += "Britannia ";
            text.append(document::kMaxDocumentBytes - text.size(), 'x');
        } else if (item.rich) {
            text = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\n";
            for (long n = 0; n < item.lines; ++n) text += "Zeile " + std::to_string(n) + " {\\b fett}\\par\n";
            text += "}";
        } else {
            for (long n = 0; n < item.lines; ++n)  // exactly `lines` lines
                text += "Zeile " + std::to_string(n) + (n + 1 < item.lines ? "\n" : "");
        }
        std::ofstream(item.file, std::ios::binary) << text;
    }
}

inline double millisecondsSince(std::chrono::steady_clock::time_point begin) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
}

// As the open command does: what the editor cannot show is refused before it is touched. Returns the
// refusal, empty when the editor took the text.
inline std::string openAsTheProgramDoes(const LargeText& item, app::EditorControl& editor) {
    auto result = document::readDocumentFile(item.file);
    if (const auto* failure = std::get_if<document::Failure>(&result)) return failure->message;
    if (auto tooMuch = app::checkFitsEditor(std::get<document::Document>(result), "bench"))
        return tooMuch->message;
    editor.setDocument(std::get<document::Document>(result));
    return {};
}

// As the main window does: a paste the editor cannot show is refused; the refusal goes to `refused`.
inline std::function<bool(const std::u16string&)> pasteCheckAsTheProgramDoes(
    const transfer::TextSource& editor, std::string& refused) {
    return [&editor, &refused](const std::u16string& pasted) {
        auto tooMuch = app::checkPasteFitsEditor(app::extentOf(editor.plainText()), app::extentOf(pasted));
        if (tooMuch) refused = tooMuch->message;
        return !tooMuch;
    };
}

// Prints one row: the time until the window answered, the peak memory it took, and the cost of the
// first transfer tick afterwards (which reads the whole text) and of every other tick.
inline void reportWithTicks(const LargeText& item, bool paste, double answeredMs, long long peakMiB,
                            const transfer::TextSource& editor, const std::string& refused) {
    auto tickBegin = std::chrono::steady_clock::now();
    BenchTransfer transfer(editor);  // the start reads the whole text once
    transfer.tick();
    const double firstTick = millisecondsSince(tickBegin);
    constexpr int kTicks = 10000;
    tickBegin = std::chrono::steady_clock::now();
    for (int i = 0; i < kTicks; ++i) transfer.tick();
    const double perTick = millisecondsSince(tickBegin) * 1000.0 / kTicks;
    std::printf("%-20s %-5s %9.0f ms %7lld MiB  first tick %8.1f ms, then %6.3f us%s%s\n", item.name.c_str(),
                paste ? "paste" : "open", answeredMs, peakMiB, firstTick, perTick,
                refused.empty() ? "" : "  refused: ", refused.c_str());
    std::fflush(stdout);
}

inline void printLargeTextHeader() {
    std::printf("%-20s %-5s %12s %11s  %s\n", "text", "", "until idle", "peak mem", "ticks afterwards");
    std::fflush(stdout);
}

}  // namespace quill::testing
