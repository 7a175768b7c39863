// Types single characters through XTest, the way a user would press the keys.
#pragma once

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/window_system.h"

namespace quill::platform::x11 {

class Keyboard {
  public:
    // `display` must offer XKB and XTest (checked by the caller). The keyboard does not own it.
    // `focusedClient` names the top-level window that gets the keys now.
    Keyboard(Display* display, std::function<Window()> focusedClient);
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

    // Taps Shift, which types nothing: ahead of a text it finds out whether keys get through.
    bool probe();

    // What became of the keys of the last type() or probe(). The server reports every key it
    // processes (XInput2 raw key events): ours at once, unless it hands them to the desktop first
    // (XWayland with emulated input through a portal), which holds them until the user has allowed
    // it and then gives them back as keys of its own keyboard. Refused, they come back from the XTest
    // keyboard after all, and the next key asks the user again. A key that arrives after the map
    // changed under it is counted as lost, and so is one that arrives after the keyboard focus left
    // the client (the user or the desktop moved it as the key was on its way): it went elsewhere.
    // Without XInput2 there is nothing to watch: Arrived.
    using Arrival = WindowSystem::Arrival;
    Arrival lastCharacterArrival();
    Arrival lastProbeArrival();

    // How long type() waits for its key to come back before it lets go of the modifiers anyway: a
    // compositor that hands the keys back takes a frame or two.
    static constexpr std::chrono::milliseconds kArrivalWait{250};

    // Clients read the keyboard map when they handle the mapping change or translate the key, which
    // can be well after we pressed it; until then a temporary binding must stay as it was. A client
    // that answers the window manager's ping (_NET_WM_PING) tells us when it has caught up: each
    // answer comes after it has handled every event sent before the ping, and a second answer mostly
    // after it has also worked through what the first batch put into its own message queue (Wine;
    // not always, see kPingsUntilTaken). A client that does not answer pings gets
    // kMinimumAgeBeforeRebind after the last press.
    static constexpr std::chrono::milliseconds kRestoreAfterIdle{3000};
    static constexpr std::chrono::milliseconds kMinimumAgeBeforeRebind{250};
    // Wine gives keys with symbols it does not know virtual-key codes from a small pool of its own;
    // with more such keys at a time, the ones beyond get none and their characters are lost. So for
    // a client that answers pings (as Wine's windows do) only the first few spare keycodes are
    // used; plain Xlib clients such as xterm get all of them.
    static constexpr std::size_t kSparesForWineLikeClients = 4;
    static constexpr std::chrono::milliseconds kPingTimeout{2000};
    // A client busy for a moment (Wine building its font cache, a game loading) misses a ping or
    // two and is waited for again afterwards; only this many unanswered pings in a row mean it
    // does not answer at all, and it is not pinged again.
    static constexpr int kUnansweredPingsBeforeGivingUp = 3;
    // Wine makes the character of a key when the program takes the key from its message queue, with
    // the keyboard map and the AltGr and other level modifiers (Mod1 to Mod5) and group of the last
    // X events it has read by then, not those of the key's own event; and Wine 10 reads the X events
    // that have come in once more right after it took a message. Two answers do not yet mean that it
    // took the key: a key on other levels, read in that moment, makes the previous key type its
    // other level ('+' for '~'), and a spare keycode bound anew makes an earlier press of it type the
    // new character. Before either, a client that answers pings is pinged this many times; each
    // answer comes from another reading of its X events.
    static constexpr int kPingsUntilTaken = 10;

  private:
    using Clock = std::chrono::steady_clock;

    // Where a keysym sits on the keyboard and what it takes to reach it.
    struct Reach {
        KeyCode keycode = 0;
        int group = 0;               // the group to lock for the key, or -1 when the current one fits
        unsigned modifiers = 0;      // real modifiers to hold down
        unsigned typeModifiers = 0;  // modifiers the key's type looks at
        int cost = 0;
    };
    struct SpareKeycode {
        KeyCode keycode = 0;
        KeySym boundTo = NoSymbol;
        Clock::time_point lastUse{};
        Window pressedIn = None;        // the client that got its last press
        std::uint64_t pressNumber = 0;  // which press that was
    };

    // A key event we sent and have not seen arrive yet; `sending` numbers the type() or probe().
    struct SentKey {
        KeyCode keycode = 0;
        bool press = false;
        std::uint64_t sending = 0;
        bool heldBack = false;  // not processed at once: the desktop routes it through itself
        bool remapped = false;  // the keyboard map changed before it came through
    };

    void takeEvents();
    // Follows the keyboard focus of `client` from now on (of one client at a time).
    void watchFocus(Window client);
    void fakeTrackedKey(KeyCode keycode, bool press);
    void keyArrived(KeyCode keycode, bool press, bool fromXTest);
    void markHeldBack(std::uint64_t sending);
    bool waitForArrival(std::uint64_t sending, std::chrono::milliseconds timeout);
    Arrival arrivalOf(std::uint64_t sending);
    bool ensureMap();
    std::optional<Reach> findOnKeyboard(char32_t character, KeySym wanted, int currentGroup) const;
    std::optional<unsigned> modifiersForLevel(const XkbKeyTypeRec& type, int level) const;
    KeyCode keyForModifier(unsigned modifierBit, int group) const;
    bool onMainBlock(KeyCode keycode) const;
    // Unbinds the spare keycodes `client` must not see; returns how many of them it may use.
    std::size_t limitSpares(Window client);
    std::optional<Reach> bindSpare(KeySym keysym, std::size_t usable);
    bool press(const Reach& reach);
    void restoreIdleBindings();
    // Waits until no client can still be about to translate a press of the spare keycode; false
    // when the client did not answer in time.
    bool settled(const SpareKeycode& spare, std::chrono::milliseconds pingTimeout);
    bool ping(Window client, std::chrono::milliseconds timeout);
    // Pings `client` kPingsUntilTaken times; true when it answered each time, and then every press
    // so far counts as taken by it.
    bool taken(Window client, std::chrono::milliseconds timeout);
    bool answersPing(Window client);
    void unbind(SpareKeycode& spare);

    Display* display_;
    std::function<Window()> focusedClient_;
    XkbDescPtr xkb_ = nullptr;
    Atom wmProtocols_ = None;
    Atom netWmPing_ = None;
    std::uint64_t presses_ = 0;
    long pingSerial_ = 0;
    std::map<Window, std::uint64_t> confirmedPresses_;  // the presses each client has taken
    std::map<Window, bool> answersPing_;
    std::map<Window, int> unansweredPings_;  // in a row
    Window lastLevelsClient_ = None;  // the client of the last press, and its level modifiers and group
    unsigned lastLevels_ = 0;
    bool mapStale_ = true;
    int xkbEventBase_ = 0;
    std::vector<SpareKeycode> spares_;
    int inputOpcode_ = -1;  // XInput2's major opcode; -1 without it
    std::deque<SentKey> unarrived_;
    std::uint64_t sendings_ = 0;
    std::uint64_t lastCharacter_ = 0;
    std::uint64_t lastProbe_ = 0;
    std::uint64_t lastLost_ = 0;     // the latest sending whose keys were passed over or remapped
    std::uint64_t lastRefused_ = 0;  // the latest held-back sending the server then took itself
    int xtestKeyboard_ = -1;         // the XInput2 id of the server's XTest keyboard
    Window watched_ = None;          // the client whose focus changes we follow
    bool focusAway_ = false;         // its focus had left it, as far as the events read tell
};

}  // namespace quill::platform::x11
