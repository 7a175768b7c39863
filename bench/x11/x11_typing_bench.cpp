// Types the acceptance text into one xterm with our X11 backend and with `xdotool type`, one after
// the other in the same run, on a US and a German layout, and prints for each how many characters
// arrived exactly and how long the sender took per character with no pacing delay.
// Self-contained: starts its own Xvfb on display :94 and ends it again.
#include <cstdio>
#include <fstream>
#include <vector>

#include "x11_test_helpers.h"

namespace {

using namespace quill;
using namespace quill::x11test;

// Characters right out of the total: the total minus the edit distance, in code points.
std::size_t exactCharacters(std::u32string_view expected, std::u32string_view received) {
    std::vector<std::size_t> previous(received.size() + 1), current(received.size() + 1);
    for (std::size_t j = 0; j <= received.size(); ++j) previous[j] = j;
    for (std::size_t i = 1; i <= expected.size(); ++i) {
        current[0] = i;
        for (std::size_t j = 1; j <= received.size(); ++j) {
            const std::size_t substitute = previous[j - 1] + (expected[i - 1] == received[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitute});
        }
        std::swap(previous, current);
    }
    const std::size_t distance = previous[received.size()];
    return distance >= expected.size() ? 0 : expected.size() - distance;
}

struct Figures {
    std::size_t exact = 0;
    std::size_t total = 0;
    double msPerCharacter = 0;
};

Figures measure(const std::filesystem::path& output, const std::function<void()>& send) {
    const std::u32string expected = core::utf8ToUtf32(quill::testing::kAcceptanceText);
    std::filesystem::resize_file(output, 0);
    const auto begin = std::chrono::steady_clock::now();
    send();
    const auto end = std::chrono::steady_clock::now();
    const std::string received = waitForFile(output, quill::testing::kAcceptanceText.size(), 10s);
    Figures figures;
    figures.total = expected.size();
    figures.exact = exactCharacters(expected, core::utf8ToUtf32(received));
    figures.msPerCharacter =
        std::chrono::duration<double, std::milli>(end - begin).count() / static_cast<double>(expected.size());
    return figures;
}

void print(const char* layout, const char* sender, const Figures& figures) {
    std::printf("%-7s %-22s %5zu / %-5zu %7.1f %%   %8.3f ms/char\n", layout, sender, figures.exact,
                figures.total,
                100.0 * static_cast<double>(figures.exact) / static_cast<double>(figures.total),
                figures.msPerCharacter);
}

}  // namespace

int main() {
    XServer server(94);
    const std::filesystem::path directory = std::filesystem::temp_directory_path() / "quill-x11-typing-bench";
    std::filesystem::create_directories(directory);
    const std::filesystem::path textFile = directory / "acceptance.txt";
    std::ofstream(textFile, std::ios::binary) << quill::testing::kAcceptanceText;

    std::printf("Acceptance text into xterm (cat > file), no pacing delay, no window manager\n");
    std::printf("%-7s %-22s %-13s %9s   %s\n", "layout", "sender", "exact chars", "", "sender time");
    bool oursExact = true;
    for (const char* layout : {"us", "de"}) {
        if (!server.setLayout(layout)) {
            std::fprintf(stderr, "setxkbmap %s failed\n", layout);
            return 1;
        }
        Receiver xterm(server, Receiver::Xterm, "Ultima Online - Bench", directory);
        std::string error;
        auto windows = platform::x11::X11WindowSystem::open(server.name().c_str(), &error);
        if (!windows) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        const auto window = waitForWindow(*windows, "Ultima Online - Bench");
        if (window == platform::kNoWindow || !activateAndWait(*windows, window)) {
            std::fprintf(stderr, "xterm did not come to the front\n");
            return 1;
        }
        const Figures ours = measure(xterm.output(), [&] {
            for (char32_t character : core::utf8ToUtf32(quill::testing::kAcceptanceText))
                windows->sendCharacter(character);
        });
        print(layout, "quillpost X11 backend", ours);
        oursExact = oursExact && ours.exact == ours.total;
        // Our spare keycodes go back to empty before the other sender runs.
        windows.reset();

        const Figures peer = measure(xterm.output(), [&] {
            run({"xdotool", "type", "--delay", "0", "--file", textFile.string()}, server.environment());
        });
        print(layout, "xdotool type", peer);
    }
    std::filesystem::remove_all(directory);
    return oursExact ? 0 : 2;
}
