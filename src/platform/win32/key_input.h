// How one character becomes SendInput events: a real key of the target's keyboard layout where it
// has one, otherwise a Unicode packet. Kept apart from the window functions so it can be tested.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quill::platform::win32 {

// Modifier bits as VkKeyScanEx reports them in its high byte.
inline constexpr unsigned kShiftBit = 1;
inline constexpr unsigned kControlBit = 2;
inline constexpr unsigned kAltBit = 4;

// A key of the layout and the modifiers it needs (Ctrl+Alt is AltGr).
struct KeyStroke {
    std::uint8_t virtualKey = 0;
    unsigned modifiers = 0;
};

// The key that types `character` on `layout`, or nothing when the character is on no key, only on
// a dead key, or when the layout says the key with those modifiers gives something else (Caps Lock,
// layouts where Ctrl+Alt is not AltGr). '\n' is Return and '\t' is Tab on every layout.
std::optional<KeyStroke> keyForCharacter(char32_t character, HKL layout, bool capsLockOn);

// The modifier keys held down right now (left and right apart), as virtual-key codes.
std::vector<std::uint8_t> heldModifierKeys();

// Events for one key stroke: the held modifiers released, the stroke's modifiers pressed, the key
// pressed and released, the stroke's modifiers released and the held ones pressed again.
std::vector<INPUT> keyStrokeInputs(const KeyStroke& stroke, std::span<const std::uint8_t> heldModifiers,
                                   HKL layout);

// Whether a Unicode packet for this UTF-16 unit reaches the receiver as text only. Windows (and Wine)
// deliver a KEYEVENTF_UNICODE event as WM_KEYDOWN/WM_KEYUP with VK_PACKET whose lParam carries the unit
// where a key's scan code goes: bits 16-23 its low byte, bit 24 (the extended-key flag) its bit 8.
// Receivers that read keys by scan code, as SDL does (SDL2 and SDL3 for Windows, so the open-source game
// client), take that for a physical key: U+201C is Enter (0x1C), U+0101 Escape, U+0148 the Up arrow
// (0x48, extended); SDL3 reports even a byte that names no key as a key event (an unknown key). True
// only when the byte gives no key event in SDL2 and SDL3: 0x00 or 0x80.
bool unicodePacketIsKeyless(char16_t unit);

// How a character off the layout goes: as Unicode packets through SendInput where every UTF-16 unit is
// keyless (above), otherwise as character messages (WM_CHAR) posted to the focused window of the
// foreground thread, which is what TranslateMessage would have made of the packets, without the key
// messages around them.
enum class UnicodeRoute { Packets, CharacterMessages };
UnicodeRoute unicodeRouteFor(char32_t character);

// Events for a character sent as itself: one down/up packet pair per UTF-16 unit (two pairs outside
// the BMP), framed by releasing and restoring the held modifiers.
std::vector<INPUT> unicodeInputs(char32_t character, std::span<const std::uint8_t> heldModifiers, HKL layout);

}  // namespace quill::platform::win32
