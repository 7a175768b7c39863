// Typing into xterm with no window manager: US and German layouts, the acceptance text.
// gtest first: Xlib defines None, Bool and Status as macros.
#include "x11_test_helpers.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

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

}  // namespace
}  // namespace quill::x11test
