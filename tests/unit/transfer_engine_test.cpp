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
    std::chrono::steady_clock::time_point now{};
    transfer::TransferEngine engine{desktop, editor, timer, [this] { return now; }};
    client::ClientList clients;
    platform::WindowHandle other = desktop.addWindow("Notizen");
    platform::WindowHandle client = desktop.addWindow("Ultima Online - Alice", 77);

    void SetUp() override { client::RefreshClientList(desktop, clients, client); }
    // Ticks until the timer stops; returns the number of ticks.
    int runToEnd() {
        int ticks = 0;
        for (; timer.on && ticks < 10000; ++ticks) engine.tick();
        return ticks;
    }
    std::u32string received() { return desktop.window(client).received; }
    void begin(const std::string& text, int ticks = 0) {
        editor.setUtf8(text);
        engine.start(clients);
        for (int i = 0; i < ticks; ++i) engine.tick();
    }
};

}  // namespace

// One tick a character, the last one stopping the timer: key-string symbols, umlauts, quotes,
// Greek, Cyrillic, CJK and a character outside the BMP arrive as themselves, CR LF, CR and LF each
// as one Enter, a tab as Tab; an empty text stops at the first tick.
TEST_F(Transfer, EveryCharacterArrivesAsItselfOneTickEach) {
    const struct {
        std::u16string text;
        std::u32string received;
        int ticks;
    } cases[] = {
        {u"Hallo", U"Hallo", 5},
        {u"+^%~(){}[] Äöüß€ „πЖ中", U"+^%~(){}[] Äöüß€ „πЖ中", 21},
        {u"a\U0001F600b", U"a\U0001F600b", 3},
        {u"a\r\nb\rc\nd\te\r\n\r\nf", U"a\nb\nc\nd\te\n\nf", 15},
        {u"", U"", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ticks);
        desktop.window(client).received.clear();
        editor.setText(c.text);
        ASSERT_EQ(engine.start(clients), StartResult::Started);
        EXPECT_EQ(engine.TransferPos, 1);
        for (int i = 1; i < c.ticks; ++i) EXPECT_EQ(engine.tick(), TickResult::Sent);
        EXPECT_TRUE(timer.on);
        EXPECT_EQ(engine.tick(), TickResult::Finished);
        EXPECT_FALSE(timer.on);
        EXPECT_EQ(engine.tick(), TickResult::Idle);
        EXPECT_EQ(received(), c.received);
        EXPECT_EQ(engine.TransferPos, c.ticks + (c.text.empty() ? 0 : 1));
    }
    EXPECT_TRUE(desktop.strayKeys().empty());
}

// Edits take effect at the next tick; a text shortened or cleared ends there; a new start
// begins again at the first character.
TEST_F(Transfer, EditsAndRestartsTakeEffectAtTheNextTick) {
    begin("abcdef", 1);
    editor.setUtf8("aXcdef");
    engine.tick();
    editor.setUtf8("aXc");
    EXPECT_EQ(engine.tick(), TickResult::Finished);
    EXPECT_EQ(received(), U"aXc");

    begin("abcdef", 1);
    editor.clear();
    EXPECT_EQ(engine.tick(), TickResult::Finished);
    EXPECT_FALSE(timer.on);

    desktop.window(client).received.clear();
    begin("abc", 2);
    engine.start(clients);
    EXPECT_EQ(engine.TransferPos, 1);
    runToEnd();
    EXPECT_EQ(received(), U"ababc");
}

// The recorded title is looked up first and a minimised client restored; a renamed client is
// still found by its recorded handle.
TEST_F(Transfer, StartFindsTheRecordedClientAndActivatesIt) {
    desktop.window(client).placement.showCmd = platform::kShowMinimized;
    desktop.focus(other);
    desktop.calls.clear();
    begin("x");
    const std::string id = std::to_string(client);
    EXPECT_EQ(desktop.calls,
              (std::vector<std::string>{"FindWindow(Ultima Online - Alice)", "GetWindowPlacement(" + id + ")",
                                        "SetWindowPlacement(" + id + ",flags=0,showCmd=1)"}));
    runToEnd();

    desktop.setTitle(client, "Ultima Online - Alice the Brave");
    editor.setUtf8("ok");
    ASSERT_EQ(engine.start(clients), StartResult::Started);
    EXPECT_EQ(engine.clientWindow(), client);
    runToEnd();
    EXPECT_EQ(received(), U"xok");
}

// No client recorded, the recorded one renamed to something else, or closed: nothing is
// activated and the timer stays off.
TEST_F(Transfer, NoStartWithoutALiveRecordedClient) {
    desktop.addWindow("");
    desktop.calls.clear();
    EXPECT_EQ(engine.start(client::ClientList{}), StartResult::NoClient);
    EXPECT_TRUE(desktop.calls.empty());
    EXPECT_FALSE(timer.on);

    editor.setUtf8("secret");
    desktop.setTitle(client, "Some other program");
    desktop.focus(other);
    EXPECT_EQ(engine.start(clients), StartResult::NoClient);
    desktop.closeWindow(client);
    desktop.calls.clear();
    EXPECT_EQ(engine.start(clients), StartResult::NoClient);
    EXPECT_FALSE(timer.on);
    EXPECT_EQ(desktop.foregroundWindow(), other);
    for (const auto& call : desktop.calls) EXPECT_EQ(call.find("SetForeground"), std::string::npos);
}

// Focus elsewhere pauses without a stray key and resumes at the same character; the progress
// follows the position, shows the pause and ends with a text shortened below the position.
TEST_F(Transfer, FocusElsewherePausesAndTheProgressShowsIt) {
    using State = transfer::TransferProgress::State;
    EXPECT_EQ(transfer::progressOf(engine).state, State::None);
    begin("abcd");
    EXPECT_EQ(transfer::progressOf(engine), (transfer::TransferProgress{State::Normal, 0, 4}));
    engine.tick();
    engine.tick();
    EXPECT_DOUBLE_EQ(transfer::progressOf(engine).fraction(), 0.5);
    desktop.focus(other);
    EXPECT_EQ(engine.tick(), TickResult::Paused);
    EXPECT_EQ(engine.tick(), TickResult::Paused);
    EXPECT_TRUE(engine.paused());
    EXPECT_EQ(engine.TransferPos, 3);
    EXPECT_EQ(transfer::progressOf(engine), (transfer::TransferProgress{State::Paused, 2, 4}));
    desktop.focus(client);
    EXPECT_EQ(engine.tick(), TickResult::Sent);
    EXPECT_FALSE(engine.paused());
    editor.setUtf8("ab");
    engine.tick();
    EXPECT_EQ(transfer::progressOf(engine).state, State::None);
    EXPECT_EQ(received(), U"abc");
    EXPECT_TRUE(desktop.window(other).received.empty());
}

TEST_F(Transfer, UntypableCharacterOrClosedClientStopsTheTransfer) {
    desktop.rejectCharacter(U'\u2603');
    begin("ab\u2603c", 2);
    EXPECT_EQ(engine.tick(), TickResult::SendFailed);
    EXPECT_EQ(engine.failedCharacter(), U'\u2603');
    EXPECT_EQ(engine.TransferPos, 3);
    EXPECT_FALSE(timer.on);

    begin("abcd", 1);
    desktop.closeWindow(client);
    desktop.focus(other);
    EXPECT_EQ(engine.tick(), TickResult::ClientClosed);
    EXPECT_FALSE(timer.on);
    EXPECT_TRUE(desktop.window(other).received.empty());
    EXPECT_TRUE(desktop.strayKeys().empty());
}

// A desktop that asks the user before it lets keys through holds them meanwhile: the transfer waits
// at its character, shown as paused, and tries the way again every 2 s with a key that types nothing.
// The question has the focus meanwhile; once it is answered, the client gets it back. Keys dropped when the
// user allows them are typed again; those let through are not.
TEST_F(Transfer, KeysHeldBackWaitAtTheirCharacterAndArriveOnceEach) {
    desktop.holdKeys();
    begin("Hallo");
    EXPECT_EQ(engine.tick(), TickResult::Waiting);
    desktop.focus(platform::kNoWindow);  // the question
    for (int i = 0; i < 3; ++i, now += std::chrono::seconds(1)) EXPECT_EQ(engine.tick(), TickResult::Waiting);
    EXPECT_EQ(desktop.probes, 2);
    EXPECT_EQ(transfer::progressOf(engine).state, transfer::TransferProgress::State::Paused);
    desktop.focus(other);    // answered: the focus went elsewhere,
    desktop.releaseKeys(2);  // and the held probes were dropped on the way
    EXPECT_EQ(engine.tick(), TickResult::Sent);
    EXPECT_EQ(desktop.foregroundWindow(), client);
    runToEnd();
    EXPECT_EQ(received(), U"Hallo");
    EXPECT_EQ(desktop.probes, 3);

    for (std::size_t dropped : {0, 1}) {  // held mid-text: let through, or dropped with the probe after it
        SCOPED_TRACE(dropped);
        desktop.window(client).received.clear();
        begin("abc", 1);
        desktop.holdKeys();
        EXPECT_EQ(engine.tick(), TickResult::Waiting);
        EXPECT_EQ(engine.tick(), TickResult::Waiting);
        EXPECT_EQ(engine.TransferPos, 2);
        desktop.releaseKeys(dropped);
        runToEnd();
        EXPECT_EQ(received(), U"abc");
    }
}

// Held keys that come through past the desktop were refused when the next key is held again (a new
// question): the transfer stops after what came through and sends nothing more. Not answered for
// 60 s, it stops as well.
TEST_F(Transfer, KeysRefusedOrHeldForAMinuteStopTheTransfer) {
    for (int typed : {0, 1}) {  // refused on the probe ahead of the text, or on a character held later
        SCOPED_TRACE(typed);
        desktop.window(client).received.clear();
        desktop.probes = 0;
        begin("abc", typed);
        desktop.holdKeys();
        EXPECT_EQ(engine.tick(), TickResult::Waiting);
        desktop.refuseKeys();
        desktop.holdKeys();  // the next key asks again
        EXPECT_EQ(engine.tick(), TickResult::KeysHeld);
        EXPECT_EQ(engine.failedCharacter(), typed ? U'c' : U'a');
        EXPECT_FALSE(timer.on);
        EXPECT_EQ(received(), typed ? U"ab" : U"");
        EXPECT_EQ(desktop.probes, 2);
        desktop.releaseKeys(0);
    }
    // Only some keys went past the desktop, the next come through: typing goes on.
    desktop.window(client).received.clear();
    begin("abc", 1);
    desktop.holdKeys();
    EXPECT_EQ(engine.tick(), TickResult::Waiting);
    desktop.refuseKeys();
    runToEnd();
    EXPECT_EQ(received(), U"abc");

    desktop.probes = 0;
    desktop.window(client).received.clear();
    desktop.holdKeys();
    begin("abc");
    for (int second = 0; second < 60; ++second, now += std::chrono::seconds(1))
        EXPECT_EQ(engine.tick(), TickResult::Waiting);
    EXPECT_EQ(engine.tick(), TickResult::KeysHeld);
    EXPECT_EQ(engine.failedCharacter(), U'a');
    EXPECT_FALSE(timer.on);
    EXPECT_EQ(engine.tick(), TickResult::Idle);
    EXPECT_EQ(desktop.probes, 30);
    desktop.releaseKeys(0);
    EXPECT_EQ(received(), U"");
}
