// Typing into xterm with no window manager: US and German layouts, the acceptance text.
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

class TypingWithoutManager : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { server = new XServer(91); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(server->setLayout("us"));
        std::string error;
        windows = platform::x11::X11WindowSystem::open(server->name().c_str(), &error);
        ASSERT_TRUE(windows) << error;
    }
    void TearDown() override { windows.reset(); }

    static XServer* server;
    TempDirectory directory{"typing"};
    std::unique_ptr<platform::x11::X11WindowSystem> windows;
};
XServer* TypingWithoutManager::server = nullptr;

TEST_F(TypingWithoutManager, AcceptanceTextArrivesExactlyOnUsLayout) {
    XtermReceiver xterm(*server, kTitle, directory.path());
    const auto window = waitForWindow(*windows, kTitle);
    ASSERT_NE(window, platform::kNoWindow);
    ASSERT_TRUE(activateAndWait(*windows, window));
    typeText(*windows, testing::kAcceptanceText);
    EXPECT_EQ(waitForFile(xterm.output(), testing::kAcceptanceText.size()), testing::kAcceptanceText);
}

TEST_F(TypingWithoutManager, AcceptanceTextArrivesExactlyOnGermanLayout) {
    ASSERT_TRUE(server->setLayout("de"));
    // The key right of T carries z on a German keyboard, y on a US one.
    ASSERT_EQ(server->keysymAt(29), static_cast<unsigned long>(XK_z));
    ASSERT_EQ(server->keysymAt(49), static_cast<unsigned long>(XK_dead_circumflex));
    XtermReceiver xterm(*server, kTitle, directory.path());
    const auto window = waitForWindow(*windows, kTitle);
    ASSERT_TRUE(activateAndWait(*windows, window));
    typeText(*windows, testing::kAcceptanceText);
    EXPECT_EQ(waitForFile(xterm.output(), testing::kAcceptanceText.size()), testing::kAcceptanceText);
}

TEST_F(TypingWithoutManager, HeldShiftAndCapsLockDoNotChangeTheTextAndStayAsTheUserLeftThem) {
    XtermReceiver xterm(*server, kTitle, directory.path());
    ASSERT_TRUE(activateAndWait(*windows, waitForWindow(*windows, kTitle)));
    Display* display = server->display();
    const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
    XkbLockModifiers(display, XkbUseCoreKbd, LockMask, LockMask);
    XTestFakeKeyEvent(display, shift, True, CurrentTime);
    XSync(display, False);

    const std::string text = "aB1 äÄ€ ^x\tZ\n";
    typeText(*windows, text);
    EXPECT_EQ(waitForFile(xterm.output(), text.size()), text);

    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    EXPECT_EQ(state.locked_mods & LockMask, static_cast<unsigned>(LockMask));
    char keys[32] = {};
    XQueryKeymap(display, keys);
    EXPECT_TRUE(keys[shift / 8] & (1 << (shift % 8)));
    XTestFakeKeyEvent(display, shift, False, CurrentTime);
    XkbLockModifiers(display, XkbUseCoreKbd, LockMask, 0);
    XSync(display, False);
}

TEST_F(TypingWithoutManager, CharactersOfASecondGroupAreTypedAndTheGroupIsRestored) {
    ASSERT_TRUE(server->setLayout("us,ru"));
    XtermReceiver xterm(*server, kTitle, directory.path());
    ASSERT_TRUE(activateAndWait(*windows, waitForWindow(*windows, kTitle)));
    const std::string text = "Съешь abc Ж!";
    typeText(*windows, text);
    EXPECT_EQ(waitForFile(xterm.output(), text.size()), text);
    XkbStateRec state{};
    XkbGetState(server->display(), XkbUseCoreKbd, &state);
    EXPECT_EQ(state.group, 0);
}

TEST_F(TypingWithoutManager, TemporaryBindingsAreUndoneWhenIdleAndAtTheEnd) {
    XtermReceiver xterm(*server, kTitle, directory.path());
    ASSERT_TRUE(activateAndWait(*windows, waitForWindow(*windows, kTitle)));
    const auto before = server->keyboardMapping();
    typeText(*windows, "€Ω");
    EXPECT_NE(server->keyboardMapping(), before);
    std::this_thread::sleep_for(platform::x11::Keyboard::kRestoreAfterIdle + 100ms);
    typeText(*windows, "a");
    EXPECT_EQ(server->keyboardMapping(), before);

    typeText(*windows, "жÄ^");
    EXPECT_NE(server->keyboardMapping(), before);
    windows.reset();
    EXPECT_EQ(server->keyboardMapping(), before);
    const std::string typed = "€ΩaжÄ^";
    EXPECT_EQ(waitForFile(xterm.output(), typed.size()), typed);
}

TEST_F(TypingWithoutManager, CharactersWithoutAKeysymAreRefusedAndNothingIsTyped) {
    XtermReceiver xterm(*server, kTitle, directory.path());
    ASSERT_TRUE(activateAndWait(*windows, waitForWindow(*windows, kTitle)));
    for (char32_t character : {U'\x01', U'\x1b', U'\x7f', U'\x85', char32_t{0xD800}, char32_t{0x110000}}) {
        EXPECT_FALSE(windows->sendCharacter(character)) << static_cast<unsigned>(character);
    }
    ASSERT_TRUE(windows->sendCharacter(U'z'));
    EXPECT_EQ(waitForFile(xterm.output(), 1), "z");
}

// A top-level window of its own connection that says it answers _NET_WM_PING, and does so only
// while `answering` is set; it counts the pings it gets.
class PingedWindow {
  public:
    explicit PingedWindow(const XServer& server) : display_(XOpenDisplay(server.name().c_str())) {
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 10, 10, 200, 100, 0, 0, 0);
        Atom ping = XInternAtom(display_, "_NET_WM_PING", False);
        XSetWMProtocols(display_, window_, &ping, 1);
        XSelectInput(display_, window_, StructureNotifyMask);
        XMapWindow(display_, window_);
        for (XEvent event; XWindowEvent(display_, window_, StructureNotifyMask, &event), event.type != MapNotify;) {
        }
        XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
        XSync(display_, False);
        thread_ = std::thread([this] { answerPings(); });
    }
    ~PingedWindow() {
        stop_ = true;
        thread_.join();
        XCloseDisplay(display_);
    }
    std::atomic<bool> answering{false};
    std::atomic<int> pings{0};

  private:
    void answerPings() {
        const Window root = DefaultRootWindow(display_);
        while (!stop_) {
            if (XPending(display_) == 0) {
                std::this_thread::sleep_for(1ms);
                continue;
            }
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type != ClientMessage) continue;
            ++pings;
            if (!answering) continue;
            event.xclient.window = root;
            XSendEvent(display_, root, False, SubstructureNotifyMask | SubstructureRedirectMask, &event);
            XFlush(display_);
        }
    }
    Display* display_;
    Window window_ = None;
    std::thread thread_;
    std::atomic<bool> stop_{false};
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
    for (int i = 0; i < Keyboard::kUnansweredPingsBeforeGivingUp; ++i) ASSERT_TRUE(windows->sendCharacter(U'c'));
    EXPECT_EQ(client.pings, 3 + Keyboard::kUnansweredPingsBeforeGivingUp);
    client.answering = true;
    const auto before = std::chrono::steady_clock::now();
    ASSERT_TRUE(windows->sendCharacter(U'd'));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(client.pings, 3 + Keyboard::kUnansweredPingsBeforeGivingUp);
    EXPECT_LT(std::chrono::steady_clock::now() - before, Keyboard::kPingTimeout);
}

}  // namespace
}  // namespace quill::x11test
