#include "platform/win32/win32_window_system.h"

#include <string>

#include "core/unicode.h"
#include "platform/win32/key_input.h"
#include "platform/win32/wide_text.h"

namespace quill::platform::win32 {
namespace {

// When keys last went out through SendInput, and how long character messages wait after them.
ULONGLONG lastKeysSent = 0;
constexpr ULONGLONG kKeysBeforeMessages = 50;

HWND toHwnd(WindowHandle window) {
    return static_cast<HWND>(ULongToHandle(window));
}
WindowHandle fromHwnd(HWND window) {
    return HandleToULong(window);
}

std::wstring titleOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, buffer.data(), length + 1);
    buffer.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return buffer;
}

struct TitleSearch {
    std::wstring title;
    HWND found = nullptr;
};

BOOL CALLBACK matchTitle(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<TitleSearch*>(parameter);
    if (titleOf(window) == search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::unique_ptr<Win32WindowSystem> Win32WindowSystem::create() {
    return std::unique_ptr<Win32WindowSystem>(new Win32WindowSystem());
}

WindowHandle Win32WindowSystem::desktopWindow() {
    return fromHwnd(GetDesktopWindow());
}

WindowHandle Win32WindowSystem::firstWindow(WindowHandle window) {
    return fromHwnd(GetWindow(toHwnd(window), GW_HWNDFIRST));
}

WindowHandle Win32WindowSystem::nextWindow(WindowHandle window) {
    return fromHwnd(GetWindow(toHwnd(window), GW_HWNDNEXT));
}

std::string Win32WindowSystem::windowTitle(WindowHandle window) {
    return fromWide(titleOf(toHwnd(window)));
}

ProcessId Win32WindowSystem::windowProcessId(WindowHandle window) {
    DWORD process = 0;
    if (GetWindowThreadProcessId(toHwnd(window), &process) == 0) return 0;
    return process;
}

WindowHandle Win32WindowSystem::findWindowByTitle(const std::string& title) {
    // FindWindowW compares titles without regard to case; the client is matched exactly.
    TitleSearch search{toWide(title), nullptr};
    EnumWindows(matchTitle, reinterpret_cast<LPARAM>(&search));
    return fromHwnd(search.found);
}

bool Win32WindowSystem::getWindowPlacement(WindowHandle window, WindowPlacement& placement) {
    WINDOWPLACEMENT native{};
    native.length = sizeof native;
    if (!GetWindowPlacement(toHwnd(window), &native)) return false;
    placement.length = native.length;
    placement.flags = native.flags;
    placement.showCmd = static_cast<int>(native.showCmd);
    placement.minPosition = {native.ptMinPosition.x, native.ptMinPosition.y};
    placement.maxPosition = {native.ptMaxPosition.x, native.ptMaxPosition.y};
    placement.normalPosition = {native.rcNormalPosition.left, native.rcNormalPosition.top,
                                native.rcNormalPosition.right, native.rcNormalPosition.bottom};
    return true;
}

bool Win32WindowSystem::setWindowPlacement(WindowHandle window, const WindowPlacement& placement) {
    WINDOWPLACEMENT native{};
    native.length = sizeof native;
    native.flags = placement.flags;
    native.showCmd = static_cast<UINT>(placement.showCmd);
    native.ptMinPosition = {placement.minPosition.x, placement.minPosition.y};
    native.ptMaxPosition = {placement.maxPosition.x, placement.maxPosition.y};
    native.rcNormalPosition = {placement.normalPosition.left, placement.normalPosition.top,
                               placement.normalPosition.right, placement.normalPosition.bottom};
    const HWND hwnd = toHwnd(window);
    if (SetWindowPlacement(hwnd, &native)) return true;
    // Some systems refuse to write the placement of another process's window (Wine does). Showing
    // it with the same command restores a minimised window all the same.
    if (!IsWindow(hwnd)) return false;
    ShowWindow(hwnd, static_cast<int>(native.showCmd));
    return native.showCmd != SW_SHOWNORMAL || !IsIconic(hwnd);
}

bool Win32WindowSystem::setForegroundWindow(WindowHandle window) {
    return SetForegroundWindow(toHwnd(window)) != FALSE;
}

bool Win32WindowSystem::bringWindowToTop(WindowHandle window) {
    return BringWindowToTop(toHwnd(window)) != FALSE;
}

WindowHandle Win32WindowSystem::foregroundWindow() {
    // A minimised window can stay the active one, but no control of it has the keyboard focus:
    // keys sent then would be lost.
    const HWND foreground = GetForegroundWindow();
    if (!foreground || IsIconic(foreground)) return kNoWindow;
    // Made the foreground window from another process, a window takes the activation in its own
    // thread a moment later; keys that come before find no active window there and are dropped (Wine
    // drops them; an SDL client, which looks at its messages once a frame, leaves that moment open for
    // up to a frame). Until its thread has an active window it is not in front yet.
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info) && !info.hwndActive)
        return kNoWindow;
    return fromHwnd(foreground);
}

bool Win32WindowSystem::isWindow(WindowHandle window) {
    return window != kNoWindow && IsWindow(toHwnd(window)) != FALSE;
}

bool Win32WindowSystem::sendCharacter(char32_t character) {
    // The layout of the thread that gets the keys: the foreground window's.
    const HWND foreground = GetForegroundWindow();
    const HKL layout = GetKeyboardLayout(foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0);
    const bool capsLockOn = (GetKeyState(VK_CAPITAL) & 1) != 0;
    const std::vector<std::uint8_t> held = heldModifierKeys();

    const std::optional<KeyStroke> stroke = keyForCharacter(character, layout, capsLockOn);
    if (!stroke && unicodeRouteFor(character) == UnicodeRoute::CharacterMessages) {
        // No key events at all: the character messages go to the window with the keyboard focus in the
        // foreground thread, as TranslateMessage would post them (repeat count 1, no scan code). A
        // thread takes posted messages before input, so keys sent just before must have had their time
        // to be taken first; at the slider's pace (0.1 s and more) they have.
        const ULONGLONG sinceKeys = GetTickCount64() - lastKeysSent;
        if (sinceKeys < kKeysBeforeMessages) Sleep(static_cast<DWORD>(kKeysBeforeMessages - sinceKeys));
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        const DWORD thread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
        const HWND target =
            thread && GetGUIThreadInfo(thread, &info) && info.hwndFocus ? info.hwndFocus : foreground;
        if (!target) return false;
        std::u16string units;
        core::appendUtf16(units, character);
        for (char16_t unit : units)
            if (!PostMessageW(target, WM_CHAR, unit, 1)) return false;
        return true;
    }
    lastKeysSent = GetTickCount64();
    std::vector<INPUT> inputs =
        stroke ? keyStrokeInputs(*stroke, held, layout) : unicodeInputs(character, held, layout);
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    return sent == inputs.size();
}

}  // namespace quill::platform::win32
