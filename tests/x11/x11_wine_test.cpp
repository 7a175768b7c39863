// A Win32 window under Wine as the client: found by its title, activated, typed into.
// gtest first: Xlib defines None, Bool and Status as macros.
#include "x11_test_helpers.h"

namespace quill::x11test {
namespace {

constexpr const char* kTitle = "Ultima Online - Wine";

class WineClient : public ::testing::Test {
  protected:
    void SetUp() override {
        QUILL_REQUIRE_RECEIVER(QUILL_WINE_RECEIVER);
        std::string error;
        windows = platform::x11::X11WindowSystem::open(server.name().c_str(), &error);
        ASSERT_TRUE(windows) << error;
    }
    XServer server{93};
    TempDirectory directory{"wine"};
    std::unique_ptr<platform::x11::X11WindowSystem> windows;
};

TEST_F(WineClient, IsFoundAndGetsTheAcceptanceTextWithOpenboxOnAGermanLayout) {
    server.startWindowManager();
    ASSERT_TRUE(server.setLayout("de"));
    WineReceiver wine(server, kTitle, directory.path());
    client::ClientList clients;
    ASSERT_TRUE(waitUntil(
        [&] {
            client::RefreshClientList(*windows, clients, windows->desktopWindow());
            return clients.count() == 1;
        },
        30s));
    EXPECT_EQ(clients.titles[0], kTitle);
    EXPECT_NE(clients.processIds[0], "0");

    EngineRun run(*windows, quill::testing::kAcceptanceText);
    ASSERT_EQ(run.engine.start(clients), transfer::StartResult::Started);
    while (run.timer.on) ASSERT_NE(run.tick(), transfer::TickResult::SendFailed);
    EXPECT_EQ(waitForFile(wine.output(), quill::testing::kAcceptanceText.size()),
              quill::testing::kAcceptanceText);
}

TEST_F(WineClient, GetsTheAcceptanceTextWithoutManagerOnAUsLayout) {
    ASSERT_TRUE(server.setLayout("us"));
    WineReceiver wine(server, kTitle, directory.path());
    const auto window = waitForWindow(*windows, kTitle);
    ASSERT_NE(window, platform::kNoWindow);
    EngineRun run(*windows, quill::testing::kAcceptanceText);
    ASSERT_EQ(run.start(kTitle), transfer::StartResult::Started);
    while (run.timer.on) ASSERT_NE(run.tick(), transfer::TickResult::SendFailed);
    EXPECT_EQ(waitForFile(wine.output(), quill::testing::kAcceptanceText.size()),
              quill::testing::kAcceptanceText);
}

}  // namespace
}  // namespace quill::x11test
