// Typing into xterm with no window manager: US and German layouts, the acceptance text.
// gtest first: Xlib defines None, Bool and Status as macros.
// clang-format off
#include "x11_test_helpers.h"
// clang-format on

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

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

}  // namespace
}  // namespace quill::x11test
