// Types single characters through XTest, the way a user would press the keys.
#pragma once

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <chrono>
#include <optional>
#include <vector>

namespace quill::platform::x11 {

class Keyboard {
public:
    // `display` must offer XKB and XTest (checked by the caller). The keyboard does not own it.
    explicit Keyboard(Display* display);
    ~Keyboard();
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    // Presses and releases the key for `character` in the window with the keyboard focus.
    // '\n' and '\r' are Return, '\t' is Tab. Characters on no key (or only on a dead key) go through
    // a spare keycode bound to the character's keysym for the time being. False when the character
    // has no keysym (control characters, surrogates) or no keycode can be had for it.
    bool type(char32_t character);

    // Gives every temporarily bound spare keycode its empty mapping back.
    void restoreSpareKeycodes();

    // How long a temporary binding stays after its last use before it is undone, and how long a
    // binding must have been idle before its keycode is bound to another keysym. Clients read the
    // keyboard map only when they handle the mapping change, which can be after we pressed the key;
    // until then the binding must stay as it was.
    static constexpr std::chrono::milliseconds kRestoreAfterIdle{3000};
    static constexpr std::chrono::milliseconds kMinimumAgeBeforeRebind{250};

private:
    using Clock = std::chrono::steady_clock;

    // Where a keysym sits on the keyboard and what it takes to reach it.
    struct Reach {
        KeyCode keycode = 0;
        int group = 0;              // the group to lock for the key, or -1 when the current one fits
        unsigned modifiers = 0;     // real modifiers to hold down
        unsigned typeModifiers = 0; // modifiers the key's type looks at
        int cost = 0;
    };
    struct SpareKeycode {
        KeyCode keycode = 0;
        KeySym boundTo = NoSymbol;
        Clock::time_point lastUse{};
    };

    void takeEvents();
    bool ensureMap();
    std::optional<Reach> findOnKeyboard(char32_t character, KeySym wanted, int currentGroup) const;
    std::optional<unsigned> modifiersForLevel(const XkbKeyTypeRec& type, int level) const;
    KeyCode keyForModifier(unsigned modifierBit, int group) const;
    std::optional<Reach> bindSpare(KeySym keysym);
    bool press(const Reach& reach);
    void restoreIdleBindings();

    Display* display_;
    XkbDescPtr xkb_ = nullptr;
    bool mapStale_ = true;
    int xkbEventBase_ = 0;
    std::vector<SpareKeycode> spares_;
};

}  // namespace quill::platform::x11
