#include "transfer/transfer_engine.h"

#include <gtest/gtest.h>

#include "support/fake_controls.h"
#include "support/fake_desktop.h"
#include "transfer/progress.h"

using namespace quill;
using quill::testing::FakeDesktop;
using quill::testing::FakeEditor;
using quill::testing::FakeTimer;
using transfer::StartResult;
using transfer::TickResult;

namespace {

struct Transfer : ::testing::Test {
    FakeDesktop desktop;
    FakeEditor editor;
    FakeTimer timer;
    transfer::TransferEngine engine{desktop, editor, timer};
    client::ClientList clients;
    platform::WindowHandle client = 0;
    platform::WindowHandle other = 0;

    void SetUp() override {
        other = desktop.addWindow("Notizen");
        client = desktop.addWindow("Ultima Online - Alice", 77);
        client::RefreshClientList(desktop, clients, client);
    }
    // Ticks until the timer stops (at most `limit` ticks); returns the number of ticks.
    int runToEnd(int limit = 10000) {
        int ticks = 0;
        while (timer.on && ticks < limit) {
            engine.tick();
            ++ticks;
        }
        return ticks;
    }
    std::u32string received() { return desktop.window(client).received; }
    void begin(const std::string& text) {
        editor.setUtf8(text);
        engine.start(clients);
    }
    void tick(int times) {
        for (int i = 0; i < times; ++i) engine.tick();
    }
};

}  // namespace

TEST_F(Transfer, FiveLettersTakeFiveTicksAndStopTheTimer) {
    editor.setUtf8("Hallo");
    ASSERT_EQ(engine.start(clients), StartResult::Started);
    EXPECT_TRUE(timer.on);
    EXPECT_EQ(engine.TransferPos, 1);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(engine.tick(), TickResult::Sent);
    EXPECT_TRUE(timer.on);
    EXPECT_EQ(engine.tick(), TickResult::Finished);
    EXPECT_FALSE(timer.on);
    EXPECT_EQ(engine.TransferPos, 6);
    EXPECT_EQ(received(), U"Hallo");
    EXPECT_EQ(engine.tick(), TickResult::Idle);
}

// One tick a character, the last one stopping the timer: key-string symbols, umlauts, quotes,
// Greek, Cyrillic, CJK and a character outside the BMP arrive as themselves, CR LF, CR and LF each
// as one Enter, a tab as Tab; an empty text stops at the first tick.
TEST_F(Transfer, EveryCharacterArrivesAsItselfOneTickEach) {
    const struct {
        std::u16string text;
        std::u32string received;
        int ticks;
    } cases[] = {
        {u"+^%~(){}[] Äöüß€ „πЖ中", U"+^%~(){}[] Äöüß€ „πЖ中", 21},
        {u"a\U0001F600b", U"a\U0001F600b", 3},
        {u"a\r\nb\rc\nd\te\r\n\r\nf", U"a\nb\nc\nd\te\n\nf", 15},
        {u"", U"", 1},
    };
    for (const auto& c : cases) {
        desktop.window(client).received.clear();
        editor.setText(c.text);
        engine.start(clients);
        EXPECT_EQ(runToEnd(), c.ticks);
        EXPECT_EQ(received(), c.received);
        EXPECT_EQ(engine.TransferPos, c.ticks + (c.text.empty() ? 0 : 1));
    }
    EXPECT_TRUE(desktop.strayKeys().empty());
}

TEST_F(Transfer, EditsTakeEffectAtTheNextTick) {
    begin("abcdef");
    engine.tick();
    editor.setUtf8("aXcdef");
    engine.tick();
    editor.setUtf8("aXc");  // shortened during the transfer: its new end is the end
    EXPECT_EQ(engine.tick(), TickResult::Finished);
    EXPECT_EQ(received(), U"aXc");

    begin("abcdef");
    engine.tick();
    editor.clear();  // clearing the editor ends the transfer at the next tick
    EXPECT_EQ(engine.tick(), TickResult::Finished);
    EXPECT_FALSE(timer.on);
}

TEST_F(Transfer, StartDuringATransferRestartsAtTheFirstCharacter) {
    begin("abc");
    tick(2);
    engine.start(clients);
    EXPECT_EQ(engine.TransferPos, 1);
    runToEnd();
    EXPECT_EQ(received(), U"ababc");
}

TEST_F(Transfer, StartLooksUpTheRecordedTitleAndActivatesIt) {
    desktop.minimize(client);
    desktop.focus(other);
    editor.setUtf8("x");
    desktop.calls.clear();
    engine.start(clients);
    const std::string id = std::to_string(client);
    EXPECT_EQ(desktop.calls,
              (std::vector<std::string>{"FindWindow(Ultima Online - Alice)", "GetWindowPlacement(" + id + ")",
                                        "SetWindowPlacement(" + id + ",flags=0,showCmd=1)"}));
    runToEnd();
    EXPECT_EQ(received(), U"x");
}

TEST_F(Transfer, RenamedClientIsFoundByItsRecordedHandle) {
    desktop.setTitle(client, "Ultima Online - Alice the Brave");
    editor.setUtf8("ok");
    ASSERT_EQ(engine.start(clients), StartResult::Started);
    EXPECT_EQ(engine.clientWindow(), client);
    runToEnd();
    EXPECT_EQ(received(), U"ok");
}

TEST_F(Transfer, NoStartWhenTheClientIsGoneOrNoLongerAClient) {
    editor.setUtf8("secret");
    desktop.setTitle(client, "Some other program");
    desktop.focus(other);
    EXPECT_EQ(engine.start(clients), StartResult::NoClient);
    EXPECT_FALSE(timer.on);

    desktop.closeWindow(client);
    desktop.calls.clear();
    EXPECT_EQ(engine.start(clients), StartResult::NoClient);
    EXPECT_EQ(desktop.foregroundWindow(), other);
    for (const auto& call : desktop.calls) EXPECT_EQ(call.find("SetForeground"), std::string::npos);
}

TEST_F(Transfer, NoClientRecordedLooksUpAndActivatesNothing) {
    client::ClientList none;
    desktop.addWindow("");
    desktop.calls.clear();
    EXPECT_EQ(engine.start(none), StartResult::NoClient);
    EXPECT_TRUE(desktop.calls.empty());
    EXPECT_FALSE(timer.on);
}

TEST_F(Transfer, FocusElsewherePausesWithoutAStrayKeyAndResumesAtTheSameCharacter) {
    begin("abcd");
    engine.tick();
    desktop.focus(other);
    EXPECT_EQ(engine.tick(), TickResult::Paused);
    EXPECT_EQ(engine.tick(), TickResult::Paused);
    EXPECT_TRUE(engine.paused());
    EXPECT_EQ(engine.TransferPos, 2);
    EXPECT_TRUE(desktop.window(other).received.empty());
    desktop.focus(client);
    runToEnd();
    EXPECT_FALSE(engine.paused());
    EXPECT_EQ(received(), U"abcd");
}

TEST_F(Transfer, ClientClosedMidTransferStopsAndNothingGoesElsewhere) {
    begin("abcd");
    engine.tick();
    desktop.closeWindow(client);
    desktop.focus(other);
    EXPECT_EQ(engine.tick(), TickResult::ClientClosed);
    EXPECT_FALSE(timer.on);
    EXPECT_TRUE(desktop.window(other).received.empty());
    EXPECT_TRUE(desktop.strayKeys().empty());
}

TEST_F(Transfer, CharacterThatCannotBeTypedStopsTheTransferAtIt) {
    editor.setUtf8(
        "ab\xE2\x98\x83"
        "c");
    desktop.rejectCharacter(U'\u2603');
    engine.start(clients);
    tick(2);
    EXPECT_EQ(engine.tick(), TickResult::SendFailed);
    EXPECT_EQ(engine.failedCharacter(), U'\u2603');
    EXPECT_EQ(engine.TransferPos, 3);
    EXPECT_FALSE(timer.on);
}

TEST_F(Transfer, ProgressFollowsThePositionAndShowsThePause) {
    using State = transfer::TransferProgress::State;
    EXPECT_EQ(transfer::progressOf(engine).state, State::None);
    begin("abcd");
    EXPECT_EQ(transfer::progressOf(engine), (transfer::TransferProgress{State::Normal, 0, 4}));
    tick(2);
    EXPECT_DOUBLE_EQ(transfer::progressOf(engine).fraction(), 0.5);
    desktop.focus(other);
    engine.tick();
    EXPECT_EQ(transfer::progressOf(engine), (transfer::TransferProgress{State::Paused, 2, 4}));
    desktop.focus(client);
    engine.tick();
    editor.setUtf8("ab");  // shortened below the position: the next tick ends it
    engine.tick();
    EXPECT_EQ(transfer::progressOf(engine).state, State::None);
}
