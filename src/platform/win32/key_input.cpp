#include "platform/win32/key_input.h"

#include <array>

#include "core/unicode.h"

namespace quill::platform::win32 {
namespace {

constexpr std::array<std::uint8_t, 8> kModifierKeys{VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL,
                                                    VK_LMENU,  VK_RMENU,  VK_LWIN,     VK_RWIN};

bool isExtendedKey(std::uint8_t key) {
    switch (key) {
        case VK_RCONTROL:
        case VK_RMENU:
        case VK_LWIN:
        case VK_RWIN:
        case VK_INSERT:
        case VK_DELETE:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_DIVIDE:
            return true;
        default:
            return false;
    }
}

INPUT keyEvent(std::uint8_t key, bool down, HKL layout) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyExW(key, MAPVK_VK_TO_VSC, layout));
    input.ki.dwFlags = (down ? 0 : KEYEVENTF_KEYUP) | (isExtendedKey(key) ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

INPUT unicodeEvent(char16_t unit, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = 0;
    input.ki.wScan = unit;
    input.ki.dwFlags = KEYEVENTF_UNICODE | (down ? 0 : KEYEVENTF_KEYUP);
    return input;
}

// The modifier keys a stroke presses, in pressing order. AltGr is left Ctrl with right Alt, as a
// real AltGr key sends it.
std::vector<std::uint8_t> strokeModifiers(unsigned modifiers) {
    std::vector<std::uint8_t> keys;
    if (modifiers & kShiftBit) keys.push_back(VK_LSHIFT);
    if (modifiers & kControlBit) keys.push_back(VK_LCONTROL);
    if (modifiers & kAltBit)
        keys.push_back(static_cast<std::uint8_t>((modifiers & kControlBit) ? VK_RMENU : VK_LMENU));
    return keys;
}

void releaseHeld(std::vector<INPUT>& inputs, std::span<const std::uint8_t> held, HKL layout) {
    for (std::uint8_t key : held) inputs.push_back(keyEvent(key, false, layout));
}

void restoreHeld(std::vector<INPUT>& inputs, std::span<const std::uint8_t> held, HKL layout) {
    for (std::uint8_t key : held) inputs.push_back(keyEvent(key, true, layout));
}

}  // namespace

std::optional<KeyStroke> keyForCharacter(char32_t character, HKL layout, bool capsLockOn) {
    if (character == U'\n') return KeyStroke{VK_RETURN, 0};
    if (character == U'\t') return KeyStroke{VK_TAB, 0};
    // Control characters and everything outside the BMP go as themselves.
    if (character < 0x20 || character == 0x7F || character > 0xFFFF) return std::nullopt;
    if (character >= 0xD800 && character <= 0xDFFF) return std::nullopt;

    const SHORT scan = VkKeyScanExW(static_cast<WCHAR>(character), layout);
    if (scan == -1) return std::nullopt;
    const auto key = static_cast<std::uint8_t>(scan & 0xFF);
    const unsigned modifiers = (static_cast<unsigned>(scan) >> 8) & 0xFF;
    // Only plain, shifted and AltGr keys type text; Ctrl or Alt alone would be shortcuts.
    if (modifiers != 0 && modifiers != kShiftBit && modifiers != (kControlBit | kAltBit) &&
        modifiers != (kShiftBit | kControlBit | kAltBit)) {
        return std::nullopt;
    }
    // A dead key would wait for the next key and change it.
    if (MapVirtualKeyExW(key, MAPVK_VK_TO_CHAR, layout) & 0x80000000u) return std::nullopt;

    // Ask the layout what the key gives with these modifiers and the Caps Lock state.
    BYTE state[256] = {};
    if (modifiers & kShiftBit) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
    if (modifiers & kControlBit) state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
    if (modifiers & kAltBit) {
        state[VK_MENU] = 0x80;
        state[(modifiers & kControlBit) ? VK_RMENU : VK_LMENU] = 0x80;
    }
    if (capsLockOn) state[VK_CAPITAL] = 0x01;
    WCHAR produced[8] = {};
    const UINT scanCode = MapVirtualKeyExW(key, MAPVK_VK_TO_VSC, layout);
    // Flag 4: leave the keyboard state (a pending dead key) untouched.
    const int count = ToUnicodeEx(key, scanCode, state, produced, 8, 4, layout);
    if (count != 1 || produced[0] != static_cast<WCHAR>(character)) return std::nullopt;
    return KeyStroke{key, modifiers};
}

std::vector<std::uint8_t> heldModifierKeys() {
    std::vector<std::uint8_t> held;
    for (std::uint8_t key : kModifierKeys)
        if (GetAsyncKeyState(key) & 0x8000) held.push_back(key);
    return held;
}

std::vector<INPUT> keyStrokeInputs(const KeyStroke& stroke, std::span<const std::uint8_t> heldModifiers,
                                   HKL layout) {
    std::vector<INPUT> inputs;
    releaseHeld(inputs, heldModifiers, layout);
    const std::vector<std::uint8_t> modifiers = strokeModifiers(stroke.modifiers);
    for (std::uint8_t key : modifiers) inputs.push_back(keyEvent(key, true, layout));
    inputs.push_back(keyEvent(stroke.virtualKey, true, layout));
    inputs.push_back(keyEvent(stroke.virtualKey, false, layout));
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
        inputs.push_back(keyEvent(*it, false, layout));
    restoreHeld(inputs, heldModifiers, layout);
    return inputs;
}

std::vector<INPUT> unicodeInputs(char32_t character, std::span<const std::uint8_t> heldModifiers,
                                 HKL layout) {
    std::vector<INPUT> inputs;
    releaseHeld(inputs, heldModifiers, layout);
    std::u16string units;
    core::appendUtf16(units, character);
    // Each unit is pressed and released before the next, so the low surrogate follows the high one
    // in the character messages.
    for (char16_t unit : units) {
        inputs.push_back(unicodeEvent(unit, true));
        inputs.push_back(unicodeEvent(unit, false));
    }
    restoreHeld(inputs, heldModifiers, layout);
    return inputs;
}

}  // namespace quill::platform::win32
