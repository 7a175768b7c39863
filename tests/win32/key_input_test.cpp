#include "platform/win32/key_input.h"

#include <gtest/gtest.h>

#include "win32_controls.h"

using namespace quill::platform::win32;
using quill::app::win32::dialogFilter;
using quill::app::win32::withCrLf;

namespace {

struct Event {
    WORD key;
    bool down;
    bool extended;
    friend bool operator==(const Event&, const Event&) = default;
};

std::vector<Event> keysOf(const std::vector<INPUT>& inputs) {
    std::vector<Event> events;
    for (const INPUT& input : inputs) {
        EXPECT_EQ(input.type, static_cast<DWORD>(INPUT_KEYBOARD));
        EXPECT_EQ(input.ki.dwFlags & KEYEVENTF_UNICODE, 0u);
        events.push_back({input.ki.wVk, !(input.ki.dwFlags & KEYEVENTF_KEYUP),
                          (input.ki.dwFlags & KEYEVENTF_EXTENDEDKEY) != 0});
    }
    return events;
}

const HKL kLayout = GetKeyboardLayout(0);

}  // namespace

TEST(KeyInput, AltGrKeyReleasesHeldModifiersAndRestoresThemAfter) {
    const std::vector<std::uint8_t> held{VK_LSHIFT, VK_RCONTROL};
    const auto events = keysOf(keyStrokeInputs(KeyStroke{'Q', kControlBit | kAltBit}, held, kLayout));
    const std::vector<Event> expected{
        {VK_LSHIFT, false, false},  {VK_RCONTROL, false, true},   // the user's keys up
        {VK_LCONTROL, true, false}, {VK_RMENU, true, true},       // AltGr
        {'Q', true, false},         {'Q', false, false},          // the key
        {VK_RMENU, false, true},    {VK_LCONTROL, false, false},  // AltGr up
        {VK_LSHIFT, true, false},   {VK_RCONTROL, true, true},    // the user's keys again
    };
    EXPECT_EQ(events, expected);
}

TEST(KeyInput, PlainAndShiftedKeysPressOnlyWhatTheyNeed) {
    EXPECT_EQ(keysOf(keyStrokeInputs(KeyStroke{'A', 0}, {}, kLayout)),
              (std::vector<Event>{{'A', true, false}, {'A', false, false}}));
    EXPECT_EQ(
        keysOf(keyStrokeInputs(KeyStroke{'A', kShiftBit}, {}, kLayout)),
        (std::vector<Event>{
            {VK_LSHIFT, true, false}, {'A', true, false}, {'A', false, false}, {VK_LSHIFT, false, false}}));
}

TEST(KeyInput, CharacterOutsideTheBmpIsTwoWholePacketPairsInOrder) {
    const std::vector<std::uint8_t> held{VK_LMENU};
    const auto inputs = unicodeInputs(U'\U0001F4DC', held, kLayout);
    ASSERT_EQ(inputs.size(), 6u);
    EXPECT_EQ(inputs[0].ki.wVk, VK_LMENU);
    EXPECT_TRUE(inputs[0].ki.dwFlags & KEYEVENTF_KEYUP);
    const WORD units[] = {0xD83D, 0xD83D, 0xDCDC, 0xDCDC};
    for (int i = 0; i < 4; ++i) {
        const KEYBDINPUT& key = inputs[static_cast<std::size_t>(i) + 1].ki;
        EXPECT_EQ(key.wVk, 0);
        EXPECT_EQ(key.wScan, units[i]);
        EXPECT_TRUE(key.dwFlags & KEYEVENTF_UNICODE);
        EXPECT_EQ((key.dwFlags & KEYEVENTF_KEYUP) != 0, i % 2 == 1) << i;
    }
    EXPECT_EQ(inputs[5].ki.wVk, VK_LMENU);
    EXPECT_FALSE(inputs[5].ki.dwFlags & KEYEVENTF_KEYUP);
}

TEST(KeyInput, LineBreakAndTabAreTheirKeysOtherControlsAndAstralCharactersGoAsThemselves) {
    const auto enter = keyForCharacter(U'\n', kLayout, false);
    ASSERT_TRUE(enter);
    EXPECT_EQ(enter->virtualKey, VK_RETURN);
    EXPECT_EQ(enter->modifiers, 0u);
    const auto tab = keyForCharacter(U'\t', kLayout, false);
    ASSERT_TRUE(tab);
    EXPECT_EQ(tab->virtualKey, VK_TAB);
    EXPECT_FALSE(keyForCharacter(U'\x01', kLayout, false));  // would be Ctrl+A
    EXPECT_FALSE(keyForCharacter(U'\x1B', kLayout, false));
    EXPECT_FALSE(keyForCharacter(U'\U0001F4DC', kLayout, false));
    EXPECT_FALSE(keyForCharacter(char32_t{0xD800}, kLayout, false));
}

TEST(EditorText, EveryLineBreakBecomesCrLf) {
    EXPECT_EQ(withCrLf(L"a\rb\nc\r\nd\ve\r"), u"a\r\nb\r\nc\r\nd\r\ne\r\n");
    EXPECT_EQ(withCrLf(L"\r\r\n\n"), u"\r\n\r\n\r\n");
    EXPECT_EQ(withCrLf(L"Grüße \xD83D\xDCDC"), u"Grüße \xD83D\xDCDC");
}

TEST(FileDialogFilter, PipesBecomeNulsWithADoubleNulAtTheEnd) {
    const std::wstring filter = dialogFilter("Textdateien (*.txt)|*.txt|Alle Dateien (*.*)|*.*");
    EXPECT_EQ(filter, std::wstring(L"Textdateien (*.txt)\0*.txt\0Alle Dateien (*.*)\0*.*\0\0", 50));
}
