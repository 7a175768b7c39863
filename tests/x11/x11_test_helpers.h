// Small pieces the X11 tests share: finding windows, typing text, driving the transfer engine.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "client/client_list.h"
#include "core/unicode.h"
#include "platform/x11/x11_window_system.h"
#include "support/acceptance_text.h"
#include "support/fake_controls.h"
#include "transfer/transfer_engine.h"
#include "x11_test_session.h"

namespace quill::x11test {

// Skips the test when its receiver program could not be built on this machine.
#define QUILL_REQUIRE_RECEIVER(path) \
    if (std::string_view(path).empty()) GTEST_SKIP() << "receiver not built (Qt 6 or MinGW-w64 missing)"

inline platform::WindowHandle waitForWindow(platform::WindowSystem& windows, const std::string& title) {
    platform::WindowHandle found = platform::kNoWindow;
    waitUntil([&] { return (found = windows.findWindowByTitle(title)) != platform::kNoWindow; }, 15s);
    return found;
}

inline bool activateAndWait(platform::WindowSystem& windows, platform::WindowHandle window) {
    windows.setForegroundWindow(window);
    windows.bringWindowToTop(window);
    return waitUntil([&] { return windows.foregroundWindow() == window; }, 10s);
}

// Sends every character straight through the backend, as fast as it goes.
inline void typeText(platform::WindowSystem& windows, std::string_view utf8) {
    for (char32_t character : core::utf8ToUtf32(utf8)) {
        ASSERT_TRUE(windows.sendCharacter(character)) << "U+" << std::hex << static_cast<unsigned>(character);
    }
}

// One X server (display `Number`) and one directory for a suite's tests, each starting on a US layout without
// a window manager, with a backend connection of its own.
template <int Number>
class OnServer : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
        server = new XServer(Number);
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
        std::filesystem::remove_all(directory);
    }
    void SetUp() override {
        ASSERT_TRUE(server->setLayout("us"));
        std::string error;
        windows = platform::x11::X11WindowSystem::open(server->name().c_str(), &error);
        ASSERT_TRUE(windows) << error;
        display = server->display();
    }
    void TearDown() override {
        windows.reset();
        server->stopWindowManager();
    }

    static inline XServer* server = nullptr;
    // The receivers' files, named apart by the receivers.
    static inline const std::filesystem::path directory =
        std::filesystem::path(QUILL_X11_TEST_DIR) / std::to_string(Number);
    std::unique_ptr<platform::x11::X11WindowSystem> windows;
    Display* display = nullptr;
};

// The transfer engine with an in-memory editor and timer; ticks as fast as they are taken.
struct EngineRun {
    explicit EngineRun(platform::WindowSystem& windows, std::string_view text)
        : engine(windows, editor, timer) {
        editor.setText(core::utf32ToUtf16(core::withCrLfLineBreaks(core::utf8ToUtf32(text))));
    }
    // Starts with a list of one client, which the engine finds by its title.
    transfer::StartResult start(const std::string& title) {
        return engine.start({{platform::kNoWindow, title, 0}});
    }
    transfer::TickResult tick() {
        const auto result = engine.tick();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        return result;
    }
    testing::FakeEditor editor;
    testing::FakeTimer timer;
    transfer::TransferEngine engine;
};

}  // namespace quill::x11test
