// A Win32 window under Wine as the client: found by its title, activated, typed into.
// gtest first: Xlib defines None, Bool and Status as macros.
#include "x11_test_helpers.h"

namespace quill::x11test {
namespace {

constexpr const char* kTitle = "Ultima Online - Wine";

using WineClient = OnServer<93>;

// Without a manager on a US layout, then under openbox on a German layout: a Wine start each.
TEST_F(WineClient, IsFoundAndGetsTheAcceptanceTextWithoutManagerOnUsAndWithOpenboxOnGermanLayout) {
    QUILL_REQUIRE_RECEIVER(QUILL_WINE_RECEIVER);
    for (const bool withOpenbox : {false, true}) {
        SCOPED_TRACE(withOpenbox ? "openbox, de" : "no manager, us");
        if (withOpenbox) server->startWindowManager();
        ASSERT_TRUE(server->setLayout(withOpenbox ? "de" : "us"));
        Receiver wine(*server, Receiver::WinePractice, kTitle, directory);
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
        server->stopWindowManager();
    }
}

}  // namespace
}  // namespace quill::x11test
