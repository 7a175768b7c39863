// A Win32 window under Wine as the client: found by its title, activated, typed into.
// gtest first: Xlib defines None, Bool and Status as macros.
#include "x11_test_helpers.h"

namespace quill::x11test {
namespace {

constexpr const char* kTitle = "Ultima Online - Wine";

// Whether `window` answers a _NET_WM_PING within a second. A Wine program answers from its message
// loop, so it answers once it has finished starting; a player, too, waits for the game to be up
// before typing (a Wine program still busy with its first start misses keys bound meanwhile).
bool answersPing(Display* display, Window window) {
    const Atom ping = XInternAtom(display, "_NET_WM_PING", False);
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(ping);
    event.xclient.data.l[2] = static_cast<long>(window);
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    const bool answered = waitUntil(
        [&] {
            XEvent answer;
            return XCheckTypedWindowEvent(display, root, ClientMessage, &answer) &&
                   static_cast<Atom>(answer.xclient.data.l[0]) == ping;
        },
        1s);
    XSelectInput(display, root, NoEventMask);
    return answered;
}

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
                return clients.size() == 1;
            },
            30s));
        EXPECT_EQ(clients[0].title, kTitle);
        EXPECT_NE(clients[0].processId, 0u);
        const auto window = static_cast<Window>(windows->findWindowByTitle(kTitle));
        ASSERT_TRUE(waitUntil([&] { return answersPing(server->display(), window); }, 60s));

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
