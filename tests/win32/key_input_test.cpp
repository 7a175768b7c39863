// What the typing tests of the real program (driver.cpp) cannot reach: characters that must not be
// typed as keys, the editor's line breaks and the file dialog's filter.
#include "platform/win32/key_input.h"

#include <gtest/gtest.h>

#include "app/win32/controls.h"

using namespace quill::platform::win32;

TEST(KeyInput, LineBreakAndTabAreTheirKeysOtherControlsAndAstralCharactersHaveNone) {
    const HKL layout = GetKeyboardLayout(0);
    for (const auto& [character, key] : {std::pair<char32_t, int>{U'\n', VK_RETURN}, {U'\t', VK_TAB}}) {
        const KeyStroke stroke = keyForCharacter(character, layout, false).value_or(KeyStroke{0, 99});
        EXPECT_TRUE(stroke.virtualKey == key && stroke.modifiers == 0u) << static_cast<unsigned>(character);
    }
    // \x01 would be Ctrl+A; these go as characters.
    for (const char32_t character : {U'\x01', U'\x1B', U'\U0001F4DC', char32_t{0xD800}})
        EXPECT_FALSE(keyForCharacter(character, layout, false)) << static_cast<unsigned>(character);
}

// A Unicode packet carries its UTF-16 unit where a key's scan code goes (low byte, bit 8 as the
// extended flag); SDL reads that as a physical key, and SDL3 reports any other non-zero byte as an
// unknown key. Those characters go as character messages; the rest keep the packet.
TEST(KeyInput, UnicodePacketsOnlyWhereTheirScanCodeByteNamesNoKey) {
    const std::pair<char32_t, UnicodeRoute> table[] = {
        {U'\u201C', UnicodeRoute::CharacterMessages},  // 0x1C Enter
        {U'\u0101', UnicodeRoute::CharacterMessages},  // 0x01 Escape
        {U'\u010E', UnicodeRoute::CharacterMessages},  // 0x0E Backspace
        {U'\u043B', UnicodeRoute::CharacterMessages},  // 0x3B F1
        {U'\u0148', UnicodeRoute::CharacterMessages},  // 0x48 extended: the Up arrow
        {U'\u019C', UnicodeRoute::CharacterMessages},  // 0x9C: bit 7 dropped by SDL3, extended: keypad Enter
        {U'\U0001F4DC', UnicodeRoute::CharacterMessages},  // D83D: 0x3D F3
        {U'\u4E00', UnicodeRoute::Packets},                // 0x00: no scan code
        {U'\u0160', UnicodeRoute::CharacterMessages},      // 0x60: no key, but SDL3 reports an unknown key
        {U'\u0180', UnicodeRoute::Packets},                // 0x80: 0x00 for SDL3, above 127 for SDL2
        {U'\U00010000', UnicodeRoute::Packets},            // D800 DC00: 0x00 and 0x00
    };
    for (const auto& [character, route] : table)
        EXPECT_EQ(unicodeRouteFor(character), route) << std::hex << static_cast<unsigned>(character);
}

TEST(EditorText, EveryLineBreakBecomesCrLf) {
    using quill::app::win32::withCrLf;
    EXPECT_EQ(withCrLf(L"a\rb\nc\r\nd\ve\r"), u"a\r\nb\r\nc\r\nd\r\ne\r\n");
    EXPECT_EQ(withCrLf(L"\r\r\n\n"), u"\r\n\r\n\r\n");
    EXPECT_EQ(withCrLf(L"Grüße \xD83D\xDCDC"), u"Grüße \xD83D\xDCDC");
}

TEST(FileDialogFilter, PipesBecomeNulsWithADoubleNulAtTheEnd) {
    const std::wstring filter =
        quill::app::win32::dialogFilter("Textdateien (*.txt)|*.txt|Alle Dateien (*.*)|*.*");
    EXPECT_EQ(filter, std::wstring(L"Textdateien (*.txt)\0*.txt\0Alle Dateien (*.*)\0*.*\0\0", 50));
}
