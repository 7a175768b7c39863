// Typing with no window manager: the German layout, held modifiers, a second group, temporary key
// bindings, characters without a keysym, clients answering pings or not.
// gtest first: Xlib defines None, Bool and Status as macros.
// clang-format off
#include "x11_test_helpers.h"
// clang-format on

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <atomic>
#include <thread>

#include "platform/x11/x11_keyboard.h"

namespace quill::x11test {
namespace {

constexpr const char* kTitle = "Ultima Online - Xterm";

using TypingWithoutManager = OnServer<91>;

// The German layout's dead keys and AltGr levels, into xterm and into a Qt window (the practice client),
// which read the keyboard map each in their own way.
TEST_F(TypingWithoutManager, AcceptanceTextArrivesExactlyOnGermanLayout) {
    ASSERT_TRUE(server->setLayout("de"));
    // The key right of T carries z on a German keyboard, y on a US one.
    ASSERT_EQ(server->keysymAt(29), static_cast<unsigned long>(XK_z));
    for (const auto kind : {Receiver::Xterm, Receiver::Practice}) {
        if (kind == Receiver::Practice) QUILL_REQUIRE_RECEIVER(QUILL_PRACTICE_CLIENT);
        const std::string title = kind == Receiver::Xterm ? "Ultima Online - XTerm" : "Ultima Online - Qt";
        SCOPED_TRACE(title);
        Receiver receiver(*server, kind, title, directory);
        ASSERT_TRUE(activateAndWait(*windows, waitForWindow(*windows, title)));
        typeText(*windows, testing::kAcceptanceText);
        EXPECT_EQ(waitForFile(receiver.output(), testing::kAcceptanceText.size()), testing::kAcceptanceText);
    }
}

// One xterm on the US layout: characters without a keysym are refused; Caps Lock and a Shift held by
// the user change no character and stay as they were; keys bound for the moment are undone once
// typing pauses, and when the connection ends.
TEST_F(TypingWithoutManager, ModifiersAndTheKeyboardMapStayAsTheUserHadThem) {
    Receiver xterm(*server, Receiver::Xterm, kTitle, directory);
    ASSERT_TRUE(activateAndWait(*windows, waitForWindow(*windows, kTitle)));
    for (char32_t character : {U'\x01', U'\x1b', U'\x7f', U'\x85', char32_t{0xD800}, char32_t{0x110000}}) {
        EXPECT_FALSE(windows->sendCharacter(character)) << static_cast<unsigned>(character);
    }
    const auto before = server->keyboardMapping();
    const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
    XkbLockModifiers(display, XkbUseCoreKbd, LockMask, LockMask);
    XTestFakeKeyEvent(display, shift, True, CurrentTime);
    XSync(display, False);
    typeText(*windows, "aB1 äÄ€ ^x\tZ\n");
    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    EXPECT_EQ(state.locked_mods & LockMask, static_cast<unsigned>(LockMask));
    char keys[32] = {};
    XQueryKeymap(display, keys);
    EXPECT_TRUE(keys[shift / 8] & (1 << (shift % 8)));
    XTestFakeKeyEvent(display, shift, False, CurrentTime);
    XkbLockModifiers(display, XkbUseCoreKbd, LockMask, 0);
    XSync(display, False);

    EXPECT_NE(server->keyboardMapping(), before);
    std::this_thread::sleep_for(platform::x11::Keyboard::kRestoreAfterIdle + 100ms);
    typeText(*windows, "a");
    EXPECT_EQ(server->keyboardMapping(), before);
    typeText(*windows, "жΩ");
    EXPECT_NE(server->keyboardMapping(), before);
    windows.reset();
    EXPECT_EQ(server->keyboardMapping(), before);
    const std::string typed = "aB1 äÄ€ ^x\tZ\naжΩ";
    EXPECT_EQ(waitForFile(xterm.output(), typed.size()), typed);
}

TEST_F(TypingWithoutManager, CharactersOfASecondGroupAreTypedAndTheGroupIsRestored) {
    ASSERT_TRUE(server->setLayout("us,ru"));
    Receiver xterm(*server, Receiver::Xterm, kTitle, directory);
    ASSERT_TRUE(activateAndWait(*windows, waitForWindow(*windows, kTitle)));
    const std::string text = "Съешь abc Ж!";
    typeText(*windows, text);
    EXPECT_EQ(waitForFile(xterm.output(), text.size()), text);
    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    EXPECT_EQ(state.group, 0);
}

// A top-level window of its own connection that says it answers _NET_WM_PING, and does so only
// while `answering` is set; it counts the pings it gets.
struct PingedWindow {
    explicit PingedWindow(const XServer& server) : display(XOpenDisplay(server.name().c_str())) {
        const Window window =
            XCreateSimpleWindow(display, DefaultRootWindow(display), 10, 10, 200, 100, 0, 0, 0);
        Atom ping = XInternAtom(display, "_NET_WM_PING", False);
        XSetWMProtocols(display, window, &ping, 1);
        XSelectInput(display, window, StructureNotifyMask);
        XMapWindow(display, window);
        for (XEvent event;
             XWindowEvent(display, window, StructureNotifyMask, &event), event.type != MapNotify;) {
        }
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        XSync(display, False);
        thread = std::thread([this] {
            for (XEvent event; !stop;) {
                if (!XCheckTypedEvent(display, ClientMessage, &event)) {
                    std::this_thread::sleep_for(1ms);
                } else if (++pings, answering) {
                    event.xclient.window = DefaultRootWindow(display);
                    XSendEvent(display, event.xclient.window, False,
                               SubstructureNotifyMask | SubstructureRedirectMask, &event);
                    XFlush(display);
                }
            }
        });
    }
    ~PingedWindow() {
        stop = true;
        thread.join();
        XCloseDisplay(display);
    }
    Display* display;
    std::atomic<bool> answering{false}, stop{false};
    std::atomic<int> pings{0};
    std::thread thread;
};

// Each key waits for the client to have taken it (two pings). A client busy for a moment is
// waited for again once it answers; one that misses several pings in a row is pinged no more.
TEST_F(TypingWithoutManager, ABusyClientIsWaitedForAgainAndASilentOneIsGivenUp) {
    using platform::x11::Keyboard;
    PingedWindow client(*server);

    ASSERT_TRUE(windows->sendCharacter(U'a'));  // busy: the first ping goes unanswered
    EXPECT_EQ(client.pings, 1);
    client.answering = true;
    ASSERT_TRUE(windows->sendCharacter(U'b'));
    ASSERT_TRUE(waitUntil([&] { return client.pings == 3; }, 1s)) << client.pings;

    client.answering = false;
    for (int i = 0; i < Keyboard::kUnansweredPingsBeforeGivingUp; ++i)
        ASSERT_TRUE(windows->sendCharacter(U'c'));
    EXPECT_EQ(client.pings, 3 + Keyboard::kUnansweredPingsBeforeGivingUp);
    client.answering = true;
    const auto before = std::chrono::steady_clock::now();
    ASSERT_TRUE(windows->sendCharacter(U'd'));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(client.pings, 3 + Keyboard::kUnansweredPingsBeforeGivingUp);
    EXPECT_LT(std::chrono::steady_clock::now() - before, Keyboard::kPingTimeout);
}

// The focus moves to another window after the keyboard named the client as the one with the focus and
// before the server takes the key, as when the user clicks elsewhere that moment: the key is lost for
// the client, and the next one, with the focus back, arrives.
TEST_F(TypingWithoutManager, AKeyTakenAfterTheFocusLeftTheClientIsLost) {
    using Arrival = platform::x11::Keyboard::Arrival;
    Receiver client(*server, Receiver::Xterm, kTitle, directory);
    Receiver other(*server, Receiver::Xterm, "Notizen", directory, "40x10+600+400");
    const Window clientWindow = waitForWindow(*windows, kTitle);
    const Window otherWindow = waitForWindow(*windows, "Notizen");
    ASSERT_TRUE(activateAndWait(*windows, clientWindow));
    const std::unique_ptr<Display, int (*)(Display*)> own(XOpenDisplay(server->name().c_str()),
                                                          XCloseDisplay);
    ASSERT_NE(own, nullptr);
    bool clickElsewhere = false;
    platform::x11::Keyboard keyboard(own.get(), [&] {
        XSetInputFocus(display, clickElsewhere ? otherWindow : clientWindow, RevertToParent, CurrentTime);
        XSync(display, False);
        return clientWindow;
    });
    ASSERT_TRUE(keyboard.type(U'a'));
    EXPECT_EQ(keyboard.lastCharacterArrival(), Arrival::Arrived);
    clickElsewhere = true;
    ASSERT_TRUE(keyboard.type(U'b'));
    EXPECT_EQ(keyboard.lastCharacterArrival(), Arrival::Lost);
    clickElsewhere = false;
    ASSERT_TRUE(keyboard.type(U'c'));
    EXPECT_EQ(keyboard.lastCharacterArrival(), Arrival::Arrived);
    EXPECT_EQ(waitForFile(client.output(), 2), "ac");
    EXPECT_EQ(waitForFile(other.output(), 1), "b");
}

}  // namespace
}  // namespace quill::x11test
