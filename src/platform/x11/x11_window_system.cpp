#include "platform/x11/x11_window_system.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <optional>
#include <thread>
#include <vector>

#include "core/unicode.h"
#include "platform/x11/x11_error_trap.h"
#include "platform/x11/x11_keyboard.h"

namespace quill::platform::x11 {

namespace {

constexpr long kNormalState = 1;
constexpr long kIconicState = 3;
// Source indication of EWMH requests: a pager, i.e. the user's own choice.
constexpr long kSourcePager = 2;
// How long activation waits for the window manager to give the focus.
constexpr std::chrono::milliseconds kActivationWait{500};

enum AtomIndex {
    kWmState,
    kWmChangeState,
    kUtf8String,
    kCompoundText,
    kNetSupported,
    kNetSupportingWmCheck,
    kNetClientListStacking,
    kNetActiveWindow,
    kNetRestackWindow,
    kNetWmName,
    kNetWmPid,
    kNetWmState,
    kNetWmStateHidden,
    kNetWmStateMaximizedVert,
    kNetWmStateMaximizedHorz,
    kAtomCount
};

const char* const kAtomNames[kAtomCount] = {
    "WM_STATE",
    "WM_CHANGE_STATE",
    "UTF8_STRING",
    "COMPOUND_TEXT",
    "_NET_SUPPORTED",
    "_NET_SUPPORTING_WM_CHECK",
    "_NET_CLIENT_LIST_STACKING",
    "_NET_ACTIVE_WINDOW",
    "_NET_RESTACK_WINDOW",
    "_NET_WM_NAME",
    "_NET_WM_PID",
    "_NET_WM_STATE",
    "_NET_WM_STATE_HIDDEN",
    "_NET_WM_STATE_MAXIMIZED_VERT",
    "_NET_WM_STATE_MAXIMIZED_HORZ",
};

// One property's raw content.
struct Property {
    Atom type = None;
    int format = 0;
    std::vector<unsigned char> bytes;  // format 8
    std::vector<unsigned long> items;  // formats 16 and 32, as Xlib hands them out
};

std::optional<Property> readProperty(Display* display, Window window, Atom name,
                                     Atom type = AnyPropertyType) {
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    // Up to 4 MB; titles and window lists are far smaller.
    const int status = XGetWindowProperty(display, window, name, 0, 1L << 20, False, type, &actualType,
                                          &actualFormat, &count, &remaining, &data);
    if (status != Success || actualType == None) {
        if (data != nullptr) XFree(data);
        return std::nullopt;
    }
    Property property;
    property.type = actualType;
    property.format = actualFormat;
    if (data != nullptr) {
        if (actualFormat == 8) {
            property.bytes.assign(data, data + count);
        } else if (actualFormat == 16) {
            const auto* values = reinterpret_cast<const unsigned short*>(data);
            property.items.assign(values, values + count);
        } else if (actualFormat == 32) {
            const auto* values = reinterpret_cast<const unsigned long*>(data);
            property.items.assign(values, values + count);
        }
        XFree(data);
    }
    return property;
}

std::string latin1ToUtf8(const std::vector<unsigned char>& bytes) {
    std::string text;
    for (unsigned char byte : bytes) core::appendUtf8(text, byte);
    return text;
}

std::string utf8Checked(const std::vector<unsigned char>& bytes) {
    std::string text(bytes.begin(), bytes.end());
    if (core::isValidUtf8(text)) return text;
    return core::utf32ToUtf8(core::utf8ToUtf32(text));
}

class X11WindowSystemImpl final : public X11WindowSystem {
  public:
    X11WindowSystemImpl(Display* display, bool haveXRes)
        : display_(display),
          root_(DefaultRootWindow(display)),
          haveXRes_(haveXRes),
          keyboard_(std::make_unique<Keyboard>(display, [this] { return focusedClient(); })) {
        XInternAtoms(display_, const_cast<char**>(kAtomNames), kAtomCount, False, atoms_);
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.event_mask = PropertyChangeMask;
        timeWindow_ = XCreateWindow(display_, root_, -10, -10, 1, 1, 0, 0, InputOnly, CopyFromParent,
                                    CWOverrideRedirect | CWEventMask, &attributes);
        XSync(display_, False);
    }

    ~X11WindowSystemImpl() override {
        keyboard_.reset();
        XDestroyWindow(display_, timeWindow_);
        XCloseDisplay(display_);
    }

    WindowHandle desktopWindow() override { return static_cast<WindowHandle>(root_); }

    WindowHandle firstWindow(WindowHandle) override {
        ErrorTrap trap(display_);
        snapshot_ = topLevelWindows();
        return snapshot_.empty() ? kNoWindow : snapshot_.front();
    }

    WindowHandle nextWindow(WindowHandle window) override {
        auto position = std::find(snapshot_.begin(), snapshot_.end(), window);
        if (position == snapshot_.end()) {
            ErrorTrap trap(display_);
            snapshot_ = topLevelWindows();
            position = std::find(snapshot_.begin(), snapshot_.end(), window);
            if (position == snapshot_.end()) return kNoWindow;
        }
        ++position;
        return position == snapshot_.end() ? kNoWindow : *position;
    }

    std::string windowTitle(WindowHandle window) override {
        if (window == kNoWindow) return {};
        ErrorTrap trap(display_);
        return title(window);
    }

    ProcessId windowProcessId(WindowHandle window) override {
        if (window == kNoWindow) return 0;
        ErrorTrap trap(display_);
        if (auto pid = readProperty(display_, window, atoms_[kNetWmPid], XA_CARDINAL);
            pid && pid->format == 32 && !pid->items.empty()) {
            return static_cast<ProcessId>(pid->items.front());
        }
        // The resource extension answers for the connection an id belongs to, whether or not the
        // window still exists.
        XWindowAttributes attributes{};
        if (!haveXRes_ || !XGetWindowAttributes(display_, window, &attributes) || trap.failed()) return 0;
        XResClientIdSpec client{static_cast<XID>(window), XRES_CLIENT_ID_PID_MASK};
        long count = 0;
        XResClientIdValue* values = nullptr;
        ProcessId result = 0;
        if (XResQueryClientIds(display_, 1, &client, &count, &values) == Success) {
            for (long i = 0; i < count && result == 0; ++i) {
                const pid_t pid = XResGetClientPid(&values[i]);
                if (pid > 0) result = static_cast<ProcessId>(pid);
            }
            XResClientIdsDestroy(count, values);
        }
        return result;
    }

    WindowHandle findWindowByTitle(const std::string& wanted) override {
        ErrorTrap trap(display_);
        for (WindowHandle window : topLevelWindows()) {
            if (title(window) == wanted) return window;
        }
        return kNoWindow;
    }

    bool getWindowPlacement(WindowHandle window, WindowPlacement& placement) override {
        if (window == kNoWindow) return false;
        ErrorTrap trap(display_);
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display_, window, &attributes) || trap.failed()) return false;
        placement.flags = 0;
        placement.showCmd =
            iconic(window) ? kShowMinimized : (maximized(window) ? kShowMaximized : kShowNormal);
        placement.minPosition = {-1, -1};
        placement.maxPosition = {-1, -1};
        placement.normalPosition = rootRect(window, attributes);
        return !trap.failed();
    }

    bool setWindowPlacement(WindowHandle window, const WindowPlacement& placement) override {
        if (window == kNoWindow) return false;
        ErrorTrap trap(display_);
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display_, window, &attributes) || trap.failed()) return false;

        // The one placement the program asks for: a minimised client restored and shown where it was
        // (showCmd 1, its normal position as read), no longer maximised.
        if (placement.showCmd != kShowNormal) return false;
        if (supports(kNetWmState) && maximized(window))
            changeNetState(window, 0, kNetWmStateMaximizedVert, kNetWmStateMaximizedHorz);
        restore(window);
        return !trap.failed();
    }

    bool setForegroundWindow(WindowHandle window) override {
        if (window == kNoWindow) return false;
        ErrorTrap trap(display_);
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display_, window, &attributes) || trap.failed()) return false;
        activate(window);
        if (trap.failed()) return false;
        return waitForForeground(window);
    }

    bool bringWindowToTop(WindowHandle window) override {
        if (window == kNoWindow) return false;
        ErrorTrap trap(display_);
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display_, window, &attributes) || trap.failed()) return false;
        if (supports(kNetRestackWindow) && managed(window)) {
            sendToRoot(window, atoms_[kNetRestackWindow], {kSourcePager, None, Above, 0, 0});
        } else {
            XRaiseWindow(display_, window);
        }
        return !trap.failed();
    }

    WindowHandle foregroundWindow() override {
        ErrorTrap trap(display_);
        return currentForeground();
    }

    bool isWindow(WindowHandle window) override {
        if (window == kNoWindow) return false;
        ErrorTrap trap(display_);
        XWindowAttributes attributes{};
        return XGetWindowAttributes(display_, window, &attributes) != 0 && !trap.failed();
    }

    bool sendCharacter(char32_t character) override { return keyboard_->type(character); }
    Arrival lastCharacterArrival() override { return keyboard_->lastCharacterArrival(); }
    bool sendProbe() override { return keyboard_->probe(); }
    Arrival lastProbeArrival() override { return keyboard_->lastProbeArrival(); }

  private:
    // What the running window manager offers, read afresh: managers come and go.
    std::vector<Atom> managerFeatures() {
        std::vector<Atom> features;
        auto check = readProperty(display_, root_, atoms_[kNetSupportingWmCheck], XA_WINDOW);
        if (!check || check->items.empty()) return features;
        const Window checkWindow = check->items.front();
        // A stale property of a manager that has gone: its check window no longer names itself.
        auto own = readProperty(display_, checkWindow, atoms_[kNetSupportingWmCheck], XA_WINDOW);
        if (!own || own->items.empty() || own->items.front() != checkWindow) return features;
        if (auto supported = readProperty(display_, root_, atoms_[kNetSupported], XA_ATOM)) {
            features.assign(supported->items.begin(), supported->items.end());
        }
        return features;
    }

    bool supports(AtomIndex feature) {
        const auto features = managerFeatures();
        return std::find(features.begin(), features.end(), atoms_[feature]) != features.end();
    }

    bool managerRuns() {
        // Someone selects SubstructureRedirect on the root: that is what makes a window manager.
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display_, root_, &attributes)) return false;
        return (attributes.all_event_masks & SubstructureRedirectMask) != 0;
    }

    bool hasWmState(Window window) {
        return readProperty(display_, window, atoms_[kWmState], atoms_[kWmState]).has_value();
    }

    long wmState(Window window) {
        auto state = readProperty(display_, window, atoms_[kWmState], atoms_[kWmState]);
        if (!state || state->format != 32 || state->items.empty()) return -1;
        return static_cast<long>(state->items.front());
    }

    void setWmState(Window window, long state) {
        const long data[2] = {state, None};
        XChangeProperty(display_, window, atoms_[kWmState], atoms_[kWmState], 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(data), 2);
    }

    std::vector<Atom> netState(Window window) {
        std::vector<Atom> states;
        if (auto property = readProperty(display_, window, atoms_[kNetWmState], XA_ATOM)) {
            states.assign(property->items.begin(), property->items.end());
        }
        return states;
    }

    bool iconic(Window window) {
        if (wmState(window) == kIconicState) return true;
        const auto states = netState(window);
        return std::find(states.begin(), states.end(), atoms_[kNetWmStateHidden]) != states.end();
    }

    bool maximized(Window window) {
        const auto states = netState(window);
        auto has = [&](AtomIndex atom) {
            return std::find(states.begin(), states.end(), atoms_[atom]) != states.end();
        };
        return has(kNetWmStateMaximizedVert) && has(kNetWmStateMaximizedHorz);
    }

    Rect rootRect(Window window, const XWindowAttributes& attributes) {
        int x = attributes.x;
        int y = attributes.y;
        Window child = None;
        XTranslateCoordinates(display_, window, root_, 0, 0, &x, &y, &child);
        return {x, y, x + attributes.width, y + attributes.height};
    }

    // The client window in the tree below a child of the root: the one carrying WM_STATE.
    Window clientBelow(Window top) {
        if (hasWmState(top)) return top;
        std::deque<Window> pending{top};
        while (!pending.empty()) {
            const Window current = pending.front();
            pending.pop_front();
            Window rootReturn = None;
            Window parent = None;
            Window* children = nullptr;
            unsigned count = 0;
            if (!XQueryTree(display_, current, &rootReturn, &parent, &children, &count)) continue;
            for (unsigned i = 0; i < count; ++i) {
                if (hasWmState(children[i])) {
                    const Window found = children[i];
                    XFree(children);
                    return found;
                }
                pending.push_back(children[i]);
            }
            if (children != nullptr) XFree(children);
        }
        return None;
    }

    // Every top-level window, topmost first.
    std::vector<WindowHandle> topLevelWindows() {
        std::vector<WindowHandle> windows;
        if (supports(kNetClientListStacking)) {
            if (auto list = readProperty(display_, root_, atoms_[kNetClientListStacking], XA_WINDOW)) {
                for (auto it = list->items.rbegin(); it != list->items.rend(); ++it) {
                    windows.push_back(static_cast<WindowHandle>(*it));
                }
                return windows;
            }
        }
        Window rootReturn = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display_, root_, &rootReturn, &parent, &children, &count)) return windows;
        // XQueryTree lists bottom to top. Override-redirect windows (menus, tooltips, drag icons) are
        // no top-level windows of anyone's; a manager's frame stands for the client inside it.
        for (unsigned i = count; i-- > 0;) {
            XWindowAttributes attributes{};
            if (!XGetWindowAttributes(display_, children[i], &attributes) || attributes.override_redirect)
                continue;
            const Window client = clientBelow(children[i]);
            windows.push_back(static_cast<WindowHandle>(client != None ? client : children[i]));
        }
        if (children != nullptr) XFree(children);
        return windows;
    }

    std::string title(Window window) {
        if (auto name = readProperty(display_, window, atoms_[kNetWmName], atoms_[kUtf8String]);
            name && name->type == atoms_[kUtf8String] && name->format == 8) {
            return utf8Checked(name->bytes);
        }
        auto name = readProperty(display_, window, XA_WM_NAME);
        if (!name || name->format != 8) return {};
        if (name->type == XA_STRING) return latin1ToUtf8(name->bytes);
        if (name->type == atoms_[kUtf8String]) return utf8Checked(name->bytes);
        // COMPOUND_TEXT and whatever else Xlib knows how to convert.
        XTextProperty text{};
        text.value = name->bytes.data();
        text.encoding = name->type;
        text.format = 8;
        text.nitems = name->bytes.size();
        char** list = nullptr;
        int count = 0;
        std::string result;
        if (Xutf8TextPropertyToTextList(display_, &text, &list, &count) >= Success && list != nullptr) {
            for (int i = 0; i < count; ++i) result += list[i];
            XFreeStringList(list);
            return utf8Checked(std::vector<unsigned char>(result.begin(), result.end()));
        }
        return latin1ToUtf8(name->bytes);
    }

    // The top-level client window that holds `window`.
    Window topLevelOf(Window window) {
        Window current = window;
        while (current != None && current != root_) {
            if (hasWmState(current)) return current;
            Window rootReturn = None;
            Window parent = None;
            Window* children = nullptr;
            unsigned count = 0;
            if (!XQueryTree(display_, current, &rootReturn, &parent, &children, &count)) return None;
            if (children != nullptr) XFree(children);
            if (parent == root_) {
                const Window client = clientBelow(current);
                return client != None ? client : current;
            }
            current = parent;
        }
        return None;
    }

    // The top-level window the keys go to, whatever the window manager says.
    Window focusedClient() {
        ErrorTrap trap(display_);
        Window focus = None;
        int revert = 0;
        XGetInputFocus(display_, &focus, &revert);
        if (focus == None || focus == PointerRoot || focus == root_) return None;
        return topLevelOf(focus);
    }

    WindowHandle currentForeground() {
        Window focus = None;
        int revert = 0;
        XGetInputFocus(display_, &focus, &revert);
        if (focus == PointerRoot) {
            // Keys go to the window under the pointer.
            Window rootReturn = None;
            Window child = None;
            int rootX = 0, rootY = 0, x = 0, y = 0;
            unsigned mask = 0;
            XQueryPointer(display_, root_, &rootReturn, &child, &rootX, &rootY, &x, &y, &mask);
            focus = child;
        }
        if (focus == None || focus == root_) return kNoWindow;
        const Window client = topLevelOf(focus);
        if (client == None) return kNoWindow;
        if (supports(kNetActiveWindow)) {
            // While the manager names another window active, a switch is under way: nobody is in front.
            auto active = readProperty(display_, root_, atoms_[kNetActiveWindow], XA_WINDOW);
            if (active && !active->items.empty() && active->items.front() != None &&
                active->items.front() != client) {
                return kNoWindow;
            }
        }
        return static_cast<WindowHandle>(client);
    }

    bool waitForForeground(Window window) {
        const auto deadline = std::chrono::steady_clock::now() + kActivationWait;
        while (true) {
            if (currentForeground() == window) return true;
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    // A current server time, for requests that want one.
    Time serverTime() {
        XChangeProperty(display_, timeWindow_, XA_WM_NAME, XA_STRING, 8, PropModeAppend, nullptr, 0);
        XEvent event;
        XWindowEvent(display_, timeWindow_, PropertyChangeMask, &event);
        return event.xproperty.time;
    }

    bool managed(Window window) {
        auto list = readProperty(display_, root_, atoms_[kNetClientListStacking], XA_WINDOW);
        return list && std::find(list->items.begin(), list->items.end(), window) != list->items.end();
    }

    void sendToRoot(Window window, Atom type, std::initializer_list<long> data) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = type;
        event.xclient.format = 32;
        int i = 0;
        for (long value : data) event.xclient.data.l[i++] = value;
        XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    }

    void changeNetState(Window window, long action, AtomIndex first, AtomIndex second) {
        sendToRoot(
            window, atoms_[kNetWmState],
            {action, static_cast<long>(atoms_[first]), static_cast<long>(atoms_[second]), kSourcePager, 0});
    }

    // Makes the window the one with the keyboard focus.
    void activate(Window window) {
        if (supports(kNetActiveWindow) && managed(window)) {
            auto active = readProperty(display_, root_, atoms_[kNetActiveWindow], XA_WINDOW);
            const long current =
                active && !active->items.empty() ? static_cast<long>(active->items.front()) : 0;
            sendToRoot(window, atoms_[kNetActiveWindow],
                       {kSourcePager, static_cast<long>(serverTime()), current, 0, 0});
            return;
        }
        XRaiseWindow(display_, window);
        XSetInputFocus(display_, window, RevertToParent, CurrentTime);
    }

    // Shows a hidden or minimised window and activates it.
    void restore(Window window) {
        const bool managedNow = managerRuns();
        if (managedNow) {
            XMapWindow(display_, window);
        } else {
            XMapRaised(display_, window);
            // With no manager we keep WM_STATE in step ourselves where the window carries one.
            if (hasWmState(window)) setWmState(window, kNormalState);
        }
        // The focus can go only to a viewable window.
        const auto deadline = std::chrono::steady_clock::now() + kActivationWait;
        XWindowAttributes attributes{};
        while (XGetWindowAttributes(display_, window, &attributes) && attributes.map_state != IsViewable &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        activate(window);
        waitForForeground(window);
    }

    Display* display_;
    Window root_;
    bool haveXRes_;
    Atom atoms_[kAtomCount] = {};
    Window timeWindow_ = None;
    std::unique_ptr<Keyboard> keyboard_;
    std::vector<WindowHandle> snapshot_;
};

}  // namespace

std::unique_ptr<X11WindowSystem> X11WindowSystem::open(const char* displayName, std::string* error) {
    auto fail = [&](const std::string& message) -> std::unique_ptr<X11WindowSystem> {
        if (error != nullptr) *error = message;
        return nullptr;
    };
    Display* display = XOpenDisplay(displayName);
    if (display == nullptr) {
        const char* name = displayName != nullptr ? displayName : XDisplayName(nullptr);
        return fail(std::string("Keine Verbindung zum X-Server \"") + (name != nullptr ? name : "") +
                    "\" möglich.");
    }
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        XCloseDisplay(display);
        return fail(
            "Der X-Server bietet die Erweiterung XTEST nicht an; ohne sie können keine Tasten gesendet "
            "werden.");
    }
    int opcode = 0;
    major = XkbMajorVersion;
    minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &eventBase, &errorBase, &major, &minor)) {
        XCloseDisplay(display);
        return fail(
            "Der X-Server bietet die Erweiterung XKEYBOARD nicht an; ohne sie können keine Tasten gesendet "
            "werden.");
    }
    bool haveXRes = false;
    if (XResQueryExtension(display, &eventBase, &errorBase)) {
        int resMajor = 0, resMinor = 0;
        haveXRes = XResQueryVersion(display, &resMajor, &resMinor) &&
                   (resMajor > 1 || (resMajor == 1 && resMinor >= 2));
    }
    return std::make_unique<X11WindowSystemImpl>(display, haveXRes);
}

}  // namespace quill::platform::x11
