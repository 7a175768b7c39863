#include "client/activation.h"

#include <gtest/gtest.h>

#include "support/fake_desktop.h"

using namespace quill;
using quill::testing::FakeDesktop;

TEST(Activation, MissingWindowFailsAfterOnlyThePlacementRead) {
    FakeDesktop desktop;
    for (platform::WindowHandle handle : {0u, 0x4242u}) {
        desktop.calls.clear();
        EXPECT_FALSE(client::ActivateWindow(desktop, handle));
        EXPECT_EQ(desktop.calls,
                  std::vector<std::string>{"GetWindowPlacement(" + std::to_string(handle) + ")"});
    }
}

TEST(Activation, MinimisedWindowIsRestoredByOnePlacementWriteOnly) {
    FakeDesktop desktop;
    const auto client = desktop.addWindow("Ultima Online - A");
    desktop.window(client).placement.flags = 2;
    const platform::Rect normal = desktop.window(client).placement.normalPosition;
    desktop.minimize(client);
    desktop.calls.clear();

    EXPECT_TRUE(client::ActivateWindow(desktop, client));
    const std::string id = std::to_string(client);
    EXPECT_EQ(desktop.calls, (std::vector<std::string>{"GetWindowPlacement(" + id + ")",
                                                       "SetWindowPlacement(" + id + ",flags=0,showCmd=1)"}));
    EXPECT_EQ(desktop.window(client).placement.normalPosition, normal);
}

TEST(Activation, NormalAndMaximisedWindowsAreBroughtToFrontNotRestored) {
    FakeDesktop desktop;
    const auto client = desktop.addWindow("Ultima Online - A");
    desktop.addWindowOnTop("Other");
    desktop.maximize(client);
    desktop.calls.clear();

    EXPECT_TRUE(client::ActivateWindow(desktop, client));
    const std::string id = std::to_string(client);
    EXPECT_EQ(desktop.calls,
              (std::vector<std::string>{"GetWindowPlacement(" + id + ")", "SetForegroundWindow(" + id + ")",
                                        "BringWindowToTop(" + id + ")"}));
    EXPECT_EQ(desktop.window(client).placement.showCmd, platform::kShowMaximized);
    EXPECT_EQ(desktop.foregroundWindow(), client);
    EXPECT_EQ(desktop.zOrder().front(), client);
}
