#include "platform/x11/x11_keyboard.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>
#include <thread>

#include "platform/x11/x11_error_trap.h"

namespace quill::platform::x11 {

namespace {

bool isKeypadKeysym(KeySym keysym) {
    return keysym >= XK_KP_Space && keysym <= XK_KP_Equal;
}

// The group a key shows when the keyboard as a whole is in `group`.
int keyGroup(XkbDescPtr xkb, KeyCode keycode, int group) {
    const int groups = XkbKeyNumGroups(xkb, keycode);
    if (groups <= 0) return -1;
    if (group < groups) return group;
    const unsigned char info = XkbKeyGroupInfo(xkb, keycode);
    switch (XkbOutOfRangeGroupAction(info)) {
        case XkbRedirectIntoRange: {
            const int target = XkbOutOfRangeGroupNumber(info);
            return target < groups ? target : 0;
        }
        case XkbClampIntoRange:
            return groups - 1;
        default:
            return group % groups;
    }
}

// The level a key type selects with `modifiers` in effect.
int levelFor(const XkbKeyTypeRec& type, unsigned modifiers) {
    const unsigned relevant = modifiers & type.mods.mask;
    for (int i = 0; i < type.map_count; ++i) {
        const XkbKTMapEntryRec& entry = type.map[i];
        if (entry.active && entry.mods.mask == relevant) return entry.level;
    }
    return 0;
}

}  // namespace

Keyboard::Keyboard(Display* display, std::function<Window()> focusedClient)
    : display_(display), focusedClient_(std::move(focusedClient)) {
    int opcode = 0;
    int errorBase = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    XkbQueryExtension(display_, &opcode, &xkbEventBase_, &errorBase, &major, &minor);
    const unsigned events = XkbMapNotifyMask | XkbNewKeyboardNotifyMask;
    XkbSelectEvents(display_, XkbUseCoreKbd, events, events);
    wmProtocols_ = XInternAtom(display_, "WM_PROTOCOLS", False);
    netWmPing_ = XInternAtom(display_, "_NET_WM_PING", False);

    // Every key the server processes, ours included, as raw key events of the master keyboards.
    int inputEvent = 0;
    int inputError = 0;
    int inputMajor = 2;
    int inputMinor = 2;
    if (XQueryExtension(display_, "XInputExtension", &inputOpcode_, &inputEvent, &inputError) &&
        XIQueryVersion(display_, &inputMajor, &inputMinor) == Success) {
        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        XISetMask(bits, XI_RawKeyPress);
        XISetMask(bits, XI_RawKeyRelease);
        XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
        ErrorTrap trap(display_);
        XISelectEvents(display_, DefaultRootWindow(display_), &mask, 1);
        XSync(display_, False);
        if (trap.failed()) inputOpcode_ = -1;
        int count = 0;
        XIDeviceInfo* devices = inputOpcode_ >= 0 ? XIQueryDevice(display_, XIAllDevices, &count) : nullptr;
        for (int i = 0; i < count; ++i) {
            if (devices[i].use == XISlaveKeyboard && std::strstr(devices[i].name, "XTEST") != nullptr)
                xtestKeyboard_ = devices[i].deviceid;
        }
        if (devices != nullptr) XIFreeDeviceInfo(devices);
    } else {
        inputOpcode_ = -1;
    }
}

Keyboard::~Keyboard() {
    {
        ErrorTrap trap(display_);
        restoreSpareKeycodes();
    }
    if (xkb_ != nullptr) XkbFreeKeyboard(xkb_, 0, True);
}

bool Keyboard::answersPing(Window client) {
    if (const auto known = answersPing_.find(client); known != answersPing_.end()) return known->second;
    Atom* protocols = nullptr;
    int count = 0;
    ErrorTrap trap(display_);
    if (!XGetWMProtocols(display_, client, &protocols, &count) || trap.failed()) return false;
    const bool found = std::find(protocols, protocols + count, netWmPing_) != protocols + count;
    XFree(protocols);
    answersPing_[client] = found;
    return found;
}

bool Keyboard::ping(Window client, std::chrono::milliseconds timeout) {
    if (client == None || !answersPing(client)) return false;
    // The client may close meanwhile: its errors are no failure of the key already typed.
    ErrorTrap trap(display_);
    // Answers go to the root window, to whoever listens for its structure (Qt) or substructure
    // (Wine, GTK). We listen only while we wait: the root's events are many.
    const Window root = DefaultRootWindow(display_);
    XSelectInput(display_, root, StructureNotifyMask | SubstructureNotifyMask);
    struct StopListening {
        Display* display;
        Window root;
        ~StopListening() { XSelectInput(display, root, NoEventMask); }
    } stopListening{display_, root};
    const long serial = ++pingSerial_;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = client;
    event.xclient.message_type = wmProtocols_;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(netWmPing_);
    event.xclient.data.l[1] = serial;
    event.xclient.data.l[2] = static_cast<long>(client);
    XSendEvent(display_, client, False, NoEventMask, &event);
    XFlush(display_);

    struct Wanted {
        Atom protocols;
        Atom ping;
        long serial;
    } wanted{wmProtocols_, netWmPing_, serial};
    auto isAnswer = [](Display*, XEvent* candidate, XPointer argument) -> Bool {
        const auto* want = reinterpret_cast<const Wanted*>(argument);
        return candidate->type == ClientMessage && candidate->xclient.message_type == want->protocols &&
               static_cast<Atom>(candidate->xclient.data.l[0]) == want->ping &&
               candidate->xclient.data.l[1] == want->serial;
    };
    const auto deadline = Clock::now() + timeout;
    while (true) {
        XEvent answer;
        if (XCheckIfEvent(display_, &answer, isAnswer, reinterpret_cast<XPointer>(&wanted))) {
            unansweredPings_.erase(client);
            return true;
        }
        if (Clock::now() >= deadline) {
            if (++unansweredPings_[client] >= kUnansweredPingsBeforeGivingUp) answersPing_[client] = false;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

bool Keyboard::settled(const SpareKeycode& spare, std::chrono::milliseconds pingTimeout) {
    if (spare.pressNumber == 0) return true;
    // A press the desktop still holds back is read with the binding of the moment it comes through.
    if (std::any_of(unarrived_.begin(), unarrived_.end(),
                    [&](const SentKey& key) { return key.keycode == spare.keycode; })) {
        return false;
    }
    if (spare.pressedIn != None) {
        ErrorTrap trap(display_);
        XWindowAttributes attributes{};
        // A window that is gone translates nothing any more.
        if (!XGetWindowAttributes(display_, spare.pressedIn, &attributes) || trap.failed()) return true;
    }
    if (spare.pressedIn == None || !answersPing(spare.pressedIn)) {
        const auto age = Clock::now() - spare.lastUse;
        if (age < kMinimumAgeBeforeRebind) std::this_thread::sleep_for(kMinimumAgeBeforeRebind - age);
        return true;
    }
    // Some programs answer from their event loop but translate the key later, from their own
    // message queue (Wine): see kPingsUntilTaken.
    const auto confirmed = confirmedPresses_.find(spare.pressedIn);
    if (confirmed != confirmedPresses_.end() && confirmed->second >= spare.pressNumber) return true;
    return taken(spare.pressedIn, pingTimeout);
}

bool Keyboard::taken(Window client, std::chrono::milliseconds timeout) {
    const std::uint64_t pressesBefore = presses_;
    for (int i = 0; i < kPingsUntilTaken; ++i) {
        if (!ping(client, timeout)) return false;
    }
    auto& confirmed = confirmedPresses_[client];
    confirmed = std::max(confirmed, pressesBefore);
    return true;
}

void Keyboard::unbind(SpareKeycode& spare) {
    KeySym none[2] = {NoSymbol, NoSymbol};
    XChangeKeyboardMapping(display_, spare.keycode, 2, none, 1);
    spare.boundTo = NoSymbol;
    spare.pressNumber = 0;
    spare.pressedIn = None;
    mapStale_ = true;
}

void Keyboard::takeEvents() {
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == xkbEventBase_) {
            const auto* xkbEvent = reinterpret_cast<const XkbEvent*>(&event);
            if (xkbEvent->any.xkb_type == XkbMapNotify || xkbEvent->any.xkb_type == XkbNewKeyboardNotify) {
                mapStale_ = true;
                // A new map takes our spare keycodes' bindings with it.
                for (SentKey& key : unarrived_) {
                    key.remapped =
                        key.remapped || std::any_of(spares_.begin(), spares_.end(), [&](const auto& spare) {
                            return spare.keycode == key.keycode && spare.boundTo != NoSymbol;
                        });
                }
            }
        } else if (event.type == FocusIn || event.type == FocusOut) {
            // The server reports the focus changing and our keys in the order it took them. Moves
            // within the client, the pointer's focus and keyboard grabs leave the keys where they go.
            const XFocusChangeEvent& focus = event.xfocus;
            if (focus.window == watched_ && focus.detail != NotifyPointer && focus.mode != NotifyGrab &&
                focus.mode != NotifyUngrab) {
                if (event.type == FocusIn) {
                    focusAway_ = false;
                } else if (focus.detail != NotifyInferior) {
                    focusAway_ = true;
                }
            }
        } else if (event.type == MappingNotify) {
            XRefreshKeyboardMapping(&event.xmapping);
            mapStale_ = true;
        } else if (event.type == GenericEvent && event.xcookie.extension == inputOpcode_ &&
                   XGetEventData(display_, &event.xcookie)) {
            const int type = event.xcookie.evtype;
            if (type == XI_RawKeyPress || type == XI_RawKeyRelease) {
                const auto* raw = static_cast<const XIRawEvent*>(event.xcookie.data);
                keyArrived(static_cast<KeyCode>(raw->detail), type == XI_RawKeyPress,
                           raw->sourceid == xtestKeyboard_);
            }
            XFreeEventData(display_, &event.xcookie);
        }
    }
}

void Keyboard::fakeTrackedKey(KeyCode keycode, bool press) {
    XTestFakeKeyEvent(display_, keycode, press ? True : False, CurrentTime);
    if (inputOpcode_ < 0) return;
    // A server that never reports our keys must not make the list grow without end.
    constexpr std::size_t kMostUnarrived = 256;
    if (unarrived_.size() >= kMostUnarrived) {
        lastLost_ = std::max(lastLost_, unarrived_.front().sending);
        unarrived_.pop_front();
    }
    unarrived_.push_back({keycode, press, sendings_});
}

void Keyboard::keyArrived(KeyCode keycode, bool press, bool fromXTest) {
    const auto match = std::find_if(unarrived_.begin(), unarrived_.end(), [&](const SentKey& key) {
        return key.keycode == keycode && key.press == press;
    });
    // Not one of ours (the user typing) or a repeat.
    if (match == unarrived_.end()) return;
    // The server reports keys in the order it got them: ours sent before this one were dropped.
    for (auto it = unarrived_.begin(); it != match; ++it) lastLost_ = std::max(lastLost_, it->sending);
    if (match->remapped && press) lastLost_ = std::max(lastLost_, match->sending);
    // A character taken after the focus left the client went to another window; a probe types nothing.
    if (focusAway_ && press && match->sending != lastProbe_) lastLost_ = std::max(lastLost_, match->sending);
    if (match->heldBack && fromXTest) lastRefused_ = std::max(lastRefused_, match->sending);
    unarrived_.erase(unarrived_.begin(), match + 1);
}

void Keyboard::watchFocus(Window client) {
    if (client == watched_) return;
    {
        ErrorTrap trap(display_);  // the client watched so far may be gone
        if (watched_ != None) XSelectInput(display_, watched_, NoEventMask);
        if (client != None) XSelectInput(display_, client, FocusChangeMask);
        trap.failed();  // waits for the answers, so that an error ends here
    }
    watched_ = client;
    // The focus may have left it before we listened.
    focusAway_ = client != None && focusedClient_ && focusedClient_() != client;
}

void Keyboard::markHeldBack(std::uint64_t sending) {
    // The server answered our request for it without having processed the key.
    takeEvents();
    for (SentKey& key : unarrived_)
        if (key.sending == sending) key.heldBack = true;
}

Keyboard::Arrival Keyboard::arrivalOf(std::uint64_t sending) {
    if (sending == 0) return Arrival::Arrived;
    takeEvents();
    if (lastRefused_ == sending) return Arrival::Refused;
    if (lastLost_ == sending) return Arrival::Lost;
    const bool pending = std::any_of(unarrived_.begin(), unarrived_.end(),
                                     [&](const SentKey& key) { return key.sending == sending; });
    return pending ? Arrival::Pending : Arrival::Arrived;
}

bool Keyboard::waitForArrival(std::uint64_t sending, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (arrivalOf(sending) == Arrival::Pending) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        pollfd connection{ConnectionNumber(display_), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(std::min<long long>(left.count(), 10)));
    }
    return arrivalOf(sending) == Arrival::Arrived;
}

Keyboard::Arrival Keyboard::lastCharacterArrival() {
    return arrivalOf(lastCharacter_);
}

Keyboard::Arrival Keyboard::lastProbeArrival() {
    return arrivalOf(lastProbe_);
}

bool Keyboard::probe() {
    ErrorTrap trap(display_);
    takeEvents();
    KeyCode shift = XKeysymToKeycode(display_, XK_Shift_L);
    if (shift == 0) shift = XKeysymToKeycode(display_, XK_Shift_R);
    // A probe stands for the way the keys take now: one sent earlier and not come through was
    // dropped, or is held with this one and comes through before it.
    std::erase_if(unarrived_, [&](const SentKey& key) { return key.sending == lastProbe_; });
    lastProbe_ = shift != 0 ? ++sendings_ : 0;
    if (shift == 0) return true;
    fakeTrackedKey(shift, true);
    fakeTrackedKey(shift, false);
    XSync(display_, False);
    markHeldBack(lastProbe_);
    if (inputOpcode_ >= 0) waitForArrival(lastProbe_, kArrivalWait);
    return !trap.failed();
}

bool Keyboard::ensureMap() {
    if (!mapStale_ && xkb_ != nullptr) return true;
    if (xkb_ != nullptr) XkbFreeKeyboard(xkb_, 0, True);
    xkb_ = XkbGetMap(display_, XkbKeyTypesMask | XkbKeySymsMask | XkbModifierMapMask, XkbUseCoreKbd);
    if (xkb_ == nullptr || xkb_->map == nullptr) return false;
    // A keymap without modifier keys (or without any symbols) comes without those tables: XWayland
    // takes over the keymap of a virtual keyboard (an on-screen keyboard, a remote-input tool) that
    // may have none. Empty tables say the same.
    if ((xkb_->map->modmap == nullptr || xkb_->map->key_sym_map == nullptr || xkb_->map->syms == nullptr) &&
        XkbAllocClientMap(xkb_, XkbKeySymsMask | XkbModifierMapMask, 0) != Success) {
        return false;
    }
    // Key names tell the keys a user presses (the AltGr key) from others with the same symbol.
    XkbGetNames(display_, XkbKeyNamesMask, xkb_);
    mapStale_ = false;

    // Spare keycodes: no symbols and no modifier. A keycode we bound keeps its place while it still
    // carries exactly our keysym; one that someone else has changed since is no longer ours. Key code
    // 8 is never one: XWayland hands emulated keys to the compositor as evdev codes (key code - 8),
    // and a compositor drops evdev code 0.
    std::vector<SpareKeycode> spares;
    for (int code = std::max<int>(xkb_->min_key_code, 9); code <= xkb_->max_key_code; ++code) {
        const auto keycode = static_cast<KeyCode>(code);
        if (xkb_->map->modmap[keycode] != 0) continue;
        const auto known = std::find_if(spares_.begin(), spares_.end(),
                                        [&](const SpareKeycode& spare) { return spare.keycode == keycode; });
        if (XkbKeyNumGroups(xkb_, keycode) == 0) {
            spares.push_back(
                {keycode, NoSymbol, known != spares_.end() ? known->lastUse : Clock::time_point{}});
        } else if (known != spares_.end() && known->boundTo != NoSymbol &&
                   XkbKeyNumGroups(xkb_, keycode) == 1 && XkbKeyGroupWidth(xkb_, keycode, 0) >= 2 &&
                   XkbKeySymEntry(xkb_, keycode, 1, 0) == known->boundTo) {
            spares.push_back(*known);
        }
    }
    spares_ = std::move(spares);
    return true;
}

KeyCode Keyboard::keyForModifier(unsigned modifierBit, int group) const {
    KeyCode best = 0;
    for (int code = xkb_->min_key_code; code <= xkb_->max_key_code; ++code) {
        const auto keycode = static_cast<KeyCode>(code);
        if ((xkb_->map->modmap[keycode] & modifierBit) == 0) continue;
        const int keyGroupIndex = keyGroup(xkb_, keycode, group);
        if (keyGroupIndex < 0) continue;
        const KeySym keysym = XkbKeySymEntry(xkb_, keycode, 0, keyGroupIndex);
        // Only keys whose action sets the modifier while held; Mode_switch, for one, switches groups.
        const bool fits = modifierBit == ShiftMask
                              ? (keysym == XK_Shift_L || keysym == XK_Shift_R)
                              : (keysym == XK_ISO_Level3_Shift || keysym == XK_ISO_Level5_Shift);
        if (!fits) continue;
        // The left Shift key and the AltGr key: programs that keep their own key state (Wine) know
        // these as the keys that select the levels.
        const std::string_view wanted = modifierBit == ShiftMask ? "LFSH" : "RALT";
        if (xkb_->names != nullptr && xkb_->names->keys != nullptr &&
            std::string_view(xkb_->names->keys[keycode].name, XkbKeyNameLength).substr(0, wanted.size()) ==
                wanted) {
            return keycode;
        }
        if (best == 0) best = keycode;
    }
    return best;
}

bool Keyboard::onMainBlock(KeyCode keycode) const {
    if (xkb_->names == nullptr || xkb_->names->keys == nullptr) return true;
    const std::string_view name(xkb_->names->keys[keycode].name,
                                strnlen(xkb_->names->keys[keycode].name, XkbKeyNameLength));
    if (name.size() == 4 && name[0] == 'A' && (name[1] >= 'A' && name[1] <= 'E') && name[2] >= '0' &&
        name[2] <= '9') {
        return true;  // AE01..AB10: the rows of the typing keys
    }
    return name == "TLDE" || name == "BKSL" || name == "LSGT" || name == "SPCE" || name == "RTRN" ||
           name == "TAB";
}

std::optional<Keyboard::Reach> Keyboard::findOnKeyboard(char32_t character, KeySym wanted,
                                                        int currentGroup) const {
    unsigned pressable = 0;
    for (unsigned bit = 1; bit <= Mod5Mask; bit <<= 1) {
        if (bit != LockMask && bit != ControlMask && bit != Mod1Mask) {
            // Group-independent enough for the lookup; checked again for the group actually used.
            if (keyForModifier(bit, currentGroup) != 0) pressable |= bit;
        }
    }

    std::optional<Reach> best;
    for (int code = xkb_->min_key_code; code <= xkb_->max_key_code; ++code) {
        const auto keycode = static_cast<KeyCode>(code);
        const int groups = XkbKeyNumGroups(xkb_, keycode);
        const int shownGroup = keyGroup(xkb_, keycode, currentGroup);
        for (int group = 0; group < groups; ++group) {
            const int width = XkbKeyGroupWidth(xkb_, keycode, group);
            const XkbKeyTypeRec& type = *XkbKeyKeyType(xkb_, keycode, group);
            for (int level = 0; level < width; ++level) {
                const KeySym keysym = XkbKeySymEntry(xkb_, keycode, level, group);
                if (keysym == NoSymbol || isKeypadKeysym(keysym)) continue;
                const bool matches = wanted != NoSymbol
                                         ? keysym == wanted
                                         : xkb_keysym_to_utf32(static_cast<xkb_keysym_t>(keysym)) ==
                                               static_cast<std::uint32_t>(character);
                if (!matches) continue;
                // The fewest modifiers that select this level; Lock, Control and Alt are never used.
                std::optional<unsigned> chosen;
                const unsigned typeMask = type.mods.mask;
                for (unsigned mods = 0; mods <= typeMask; ++mods) {
                    if ((mods & ~typeMask) != 0 || (mods & ~pressable) != 0) continue;
                    if (levelFor(type, mods) != level) continue;
                    if (!chosen || std::popcount(mods) < std::popcount(*chosen)) chosen = mods;
                }
                if (!chosen) continue;
                Reach reach;
                reach.keycode = keycode;
                reach.group = group == shownGroup ? -1 : group;
                reach.modifiers = *chosen;
                reach.typeModifiers = typeMask;
                // Keys of the main block first: programs that keep their own key tables (Wine) may
                // not know the extra keys of multimedia keyboards that repeat some symbols.
                reach.cost =
                    std::popcount(*chosen) + (reach.group >= 0 ? 4 : 0) + (onMainBlock(keycode) ? 0 : 8);
                if (reach.group >= 0) {
                    bool reachable = true;
                    for (unsigned bit = 1; bit <= Mod5Mask; bit <<= 1) {
                        if ((reach.modifiers & bit) != 0 && keyForModifier(bit, group) == 0)
                            reachable = false;
                    }
                    if (!reachable) continue;
                }
                if (!best || reach.cost < best->cost) best = reach;
            }
        }
    }
    return best;
}

std::size_t Keyboard::limitSpares(Window client) {
    if (client == None || !answersPing(client) || spares_.size() <= kSparesForWineLikeClients)
        return spares_.size();
    for (std::size_t i = kSparesForWineLikeClients; i < spares_.size(); ++i) {
        if (spares_[i].boundTo == NoSymbol) continue;
        settled(spares_[i], kPingTimeout);
        unbind(spares_[i]);
    }
    return kSparesForWineLikeClients;
}

std::optional<Keyboard::Reach> Keyboard::bindSpare(KeySym keysym, std::size_t usable) {
    if (spares_.empty() || usable == 0) return std::nullopt;
    const auto begin = spares_.begin();
    const auto end = spares_.begin() + static_cast<std::ptrdiff_t>(std::min(usable, spares_.size()));
    auto spare =
        std::find_if(begin, end, [&](const SpareKeycode& candidate) { return candidate.boundTo == keysym; });
    if (spare == end) {
        spare = std::find_if(begin, end,
                             [](const SpareKeycode& candidate) { return candidate.boundTo == NoSymbol; });
    }
    if (spare == end) {
        spare = std::min_element(
            begin, end, [](const SpareKeycode& a, const SpareKeycode& b) { return a.lastUse < b.lastUse; });
        // A client may not yet have translated the last press of this keycode; it would read the
        // new binding for it.
        // A client that does not answer within the timeout is hung; it cannot be waited for forever.
        settled(*spare, kPingTimeout);
    }
    const KeyCode shiftKey = keyForModifier(ShiftMask, 0);
    if (spare->boundTo != keysym) {
        // The keysym on level two, typed with Shift, and nothing on level one. A lone keysym would
        // be read as the lower-case form on level one and the upper-case form on level two (an Ä
        // would arrive as ä), and Wine would take a key that carries only ^ for its own dead-key
        // key and type nothing.
        KeySym symbols[2] = {shiftKey != 0 ? static_cast<KeySym>(XK_VoidSymbol) : keysym, keysym};
        ErrorTrap trap(display_);
        XChangeKeyboardMapping(display_, spare->keycode, 2, symbols, 1);
        if (trap.failed()) return std::nullopt;
        // The server has the new mapping once it answers the read-back; the mapping events it sent
        // to every client are queued there ahead of the key events that follow.
        int perKeycode = 0;
        KeySym* current = XGetKeyboardMapping(display_, spare->keycode, 1, &perKeycode);
        const bool taken = current != nullptr && perKeycode > 1 && current[1] == keysym;
        if (current != nullptr) XFree(current);
        if (!taken) return std::nullopt;
        spare->boundTo = keysym;
        mapStale_ = true;
        // A client that rebuilds its key tables when it handles the mapping change (Wine) takes
        // keys that come in meanwhile wrongly, or drops them: let it finish first where it can tell.
        const Window client = focusedClient_ ? focusedClient_() : None;
        if (client != None && answersPing(client)) {
            ping(client, kPingTimeout) && ping(client, kPingTimeout);
        }
    }
    Reach reach;
    reach.keycode = spare->keycode;
    reach.group = -1;
    reach.modifiers = shiftKey != 0 ? ShiftMask : 0;
    reach.typeModifiers = ShiftMask;
    return reach;
}

bool Keyboard::press(const Reach& reach) {
    XkbStateRec state{};
    if (XkbGetState(display_, XkbUseCoreKbd, &state) != Success) return false;
    const int group = reach.group >= 0 ? reach.group : state.group;

    // The level keys in the order a typist presses them: AltGr before Shift.
    std::vector<KeyCode> modifierKeys;
    for (unsigned bit = Mod5Mask; bit >= ShiftMask; bit >>= 1) {
        if ((reach.modifiers & bit) == 0 || (state.locked_mods & bit) != 0) continue;
        const KeyCode keycode = keyForModifier(bit, group);
        if (keycode == 0) return false;
        modifierKeys.push_back(keycode);
    }

    // Wine reads the levels of a key when the program takes it from its queue (kPingsUntilTaken): a
    // client that answers pings has taken the previous key before one on other levels comes.
    const Window client = focusedClient_ ? focusedClient_() : None;
    const unsigned levels = (reach.modifiers & (Mod1Mask | Mod2Mask | Mod3Mask | Mod4Mask | Mod5Mask)) |
                            (static_cast<unsigned>(group) << 13);
    if (client != None && client == lastLevelsClient_ && levels != lastLevels_ && answersPing(client))
        taken(client, kPingTimeout);
    lastLevelsClient_ = client;
    lastLevels_ = levels;
    watchFocus(client);

    // Modifier keys the user holds right now are let go for our key and pressed again after it.
    std::vector<KeyCode> held;
    if (state.base_mods != 0) {
        char keys[32] = {};
        XQueryKeymap(display_, keys);
        for (int code = xkb_->min_key_code; code <= xkb_->max_key_code; ++code) {
            const bool down = (keys[code / 8] & (1 << (code % 8))) != 0;
            if (down && xkb_->map->modmap[code] != 0) held.push_back(static_cast<KeyCode>(code));
        }
    }
    // Caps Lock is let go as well: clients may apply it to a key whose type does not read it.
    const unsigned unlock = state.locked_mods & (reach.typeModifiers | LockMask) & ~reach.modifiers;
    const unsigned latched = state.latched_mods;

    for (KeyCode keycode : held) XTestFakeKeyEvent(display_, keycode, False, CurrentTime);
    if (latched != 0) XkbLatchModifiers(display_, XkbUseCoreKbd, latched, 0);
    if (unlock != 0) XkbLockModifiers(display_, XkbUseCoreKbd, unlock, 0);
    if (reach.group >= 0) XkbLockGroup(display_, XkbUseCoreKbd, static_cast<unsigned>(reach.group));
    for (KeyCode keycode : modifierKeys) XTestFakeKeyEvent(display_, keycode, True, CurrentTime);

    // Map changes from before (our own binding among them) are no concern of the key sent now.
    takeEvents();
    lastCharacter_ = ++sendings_;
    fakeTrackedKey(reach.keycode, true);
    fakeTrackedKey(reach.keycode, false);
    ++presses_;
    // Modifiers and group stay as the key needs them until it has come through, where the desktop
    // routes our keys through itself; keys it holds back are not waited for longer than that.
    XSync(display_, False);
    markHeldBack(lastCharacter_);
    const bool arrived = inputOpcode_ < 0 || waitForArrival(lastCharacter_, kArrivalWait);
    // Some programs translate a key only when their own message queue gets to it, with the
    // modifier state of that moment (Wine): the modifiers stay down until the client has read it.
    if (arrived && client != None && answersPing(client) && ping(client, kPingTimeout))
        ping(client, kPingTimeout);

    for (auto it = modifierKeys.rbegin(); it != modifierKeys.rend(); ++it) {
        XTestFakeKeyEvent(display_, *it, False, CurrentTime);
    }
    if (reach.group >= 0) XkbLockGroup(display_, XkbUseCoreKbd, static_cast<unsigned>(state.locked_group));
    if (unlock != 0) XkbLockModifiers(display_, XkbUseCoreKbd, unlock, unlock);
    if (latched != 0) XkbLatchModifiers(display_, XkbUseCoreKbd, latched, latched);
    for (KeyCode keycode : held) XTestFakeKeyEvent(display_, keycode, True, CurrentTime);
    XSync(display_, False);

    for (SpareKeycode& spare : spares_) {
        if (spare.keycode != reach.keycode) continue;
        spare.lastUse = Clock::now();
        spare.pressNumber = presses_;
        spare.pressedIn = client;
    }
    return true;
}

void Keyboard::restoreIdleBindings() {
    const auto now = Clock::now();
    for (SpareKeycode& spare : spares_) {
        if (spare.boundTo == NoSymbol || now - spare.lastUse < kRestoreAfterIdle) continue;
        if (settled(spare, std::chrono::milliseconds(100))) unbind(spare);
    }
}

void Keyboard::restoreSpareKeycodes() {
    takeEvents();
    if (!ensureMap()) return;
    for (SpareKeycode& spare : spares_) {
        if (spare.boundTo == NoSymbol) continue;
        // At the end a client that does not answer soon is not waited for long.
        settled(spare, std::chrono::milliseconds(500));
        unbind(spare);
    }
    XSync(display_, False);
}

bool Keyboard::type(char32_t character) {
    KeySym wanted = NoSymbol;
    if (character == U'\n' || character == U'\r') {
        wanted = XK_Return;
    } else if (character == U'\t') {
        wanted = XK_Tab;
    } else if (character < 0x20 || (character >= 0x7F && character < 0xA0) ||
               (character >= 0xD800 && character <= 0xDFFF) || character > 0x10FFFF) {
        return false;
    }

    ErrorTrap trap(display_);
    takeEvents();
    restoreIdleBindings();
    takeEvents();
    if (!ensureMap()) return false;
    const std::size_t usableSpares = limitSpares(focusedClient_ ? focusedClient_() : None);
    takeEvents();
    if (!ensureMap()) return false;

    XkbStateRec state{};
    if (XkbGetState(display_, XkbUseCoreKbd, &state) != Success) return false;
    std::optional<Reach> reach = findOnKeyboard(character, wanted, state.group);
    if (!reach) {
        const KeySym keysym =
            wanted != NoSymbol
                ? wanted
                : static_cast<KeySym>(xkb_utf32_to_keysym(static_cast<std::uint32_t>(character)));
        if (keysym == NoSymbol) return false;
        reach = bindSpare(keysym, usableSpares);
        if (!reach) return false;
    }
    if (!press(*reach)) return false;
    return !trap.failed();
}

}  // namespace quill::platform::x11
