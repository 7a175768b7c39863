#include "client/activation.h"

#include <gtest/gtest.h>

#include "support/fake_desktop.h"

using namespace quill;
using quill::testing::FakeDesktop;

// A minimised client is restored by one placement write (its flags cleared, its normal place kept);
// a normal or maximised one keeps its state and is brought to the front; a missing one fails after
// reading its placement. "#" stands for the window's handle.
TEST(Activation, MinimisedIsRestoredOthersComeToTheFront) {
    const std::vector<std::string> toFront{"GetWindowPlacement(#)", "SetForegroundWindow(#)",
                                           "BringWindowToTop(#)"};
    const std::vector<std::string> restore{"GetWindowPlacement(#)",
                                           "SetWindowPlacement(#,flags=0,showCmd=1)"};
    const struct {
        int showCmd;  // 0: no such window
        bool activated;
        std::vector<std::string> calls;
        int showCmdAfter;
    } cases[] = {
        {platform::kShowMinimized, true, restore, platform::kShowNormal},
        {platform::kShowMaximized, true, toFront, platform::kShowMaximized},
        {platform::kShowNormal, true, toFront, platform::kShowNormal},
        {0, false, {"GetWindowPlacement(#)"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.showCmd);
        FakeDesktop desktop;
        const auto client = desktop.addWindow("Ultima Online - A");
        desktop.addWindow("Other", 1000, true);
        desktop.window(client).placement.flags = 2;
        desktop.window(client).placement.showCmd = c.showCmd;
        const platform::Rect normal = desktop.window(client).placement.normalPosition;
        if (c.showCmd == 0) desktop.closeWindow(client);
        desktop.calls.clear();

        EXPECT_EQ(client::ActivateWindow(desktop, client), c.activated);
        std::vector<std::string> expected;
        for (const std::string& call : c.calls)
            expected.push_back(call.substr(0, call.find('#')) + std::to_string(client) +
                               call.substr(call.find('#') + 1));
        EXPECT_EQ(desktop.calls, expected);
        if (!c.activated) continue;
        EXPECT_EQ(desktop.window(client).placement.showCmd, c.showCmdAfter);
        EXPECT_EQ(desktop.window(client).placement.normalPosition, normal);
        EXPECT_EQ(desktop.foregroundWindow(), client);
        EXPECT_EQ(desktop.zOrder().front() == client, c.calls == toFront);
    }
}
