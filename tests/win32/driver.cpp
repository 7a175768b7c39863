// Drives the real Quillpost.exe from outside, as a test: finds its windows by caption, reads and
// sets controls with window messages, presses buttons and keys, and checks what happens.
// A console program without windows of its own, so it never takes the focus.
//   driver.exe warning | window | about | files | keys | close-with-about | layout
//   driver.exe type OUTPUT-FILE us|de fast|timer [practice]
// "type" sends to receiver.exe's window, or with "practice" to the practice client's, which has its
// default title.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// Headers that need windows.h first.
#include <commctrl.h>
#include <dlgs.h>
#include <richedit.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "about/about.h"
#include "app/layout.h"
#include "app/main_window_logic.h"
#include "core/unicode.h"
#include "platform/win32/wide_text.h"
#include "practice/practice_client.h"
#include "resource_ids.h"
#include "support/acceptance_text.h"
#include "transfer/delay.h"

using namespace quill;
using platform::win32::fromWide;
using platform::win32::toWide;

namespace {

int failures = 0;

void check(bool ok, const std::string& what) {
    std::string line;
    for (char c : what)
        line += c == '\n' ? std::string(" / ") : c == '\r' ? std::string() : std::string(1, c);
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", line.c_str());
    std::fflush(stdout);
    if (!ok) ++failures;
}

template <typename T>
std::string show(const T& value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

bool waitFor(const std::function<bool()>& condition, int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::wstring textOf(HWND window) {
    // WM_GETTEXT: the control's real text, also across processes.
    const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::vector<HWND> topLevelWindowsTitled(const std::wstring& title) {
    struct Search {
        std::wstring title;
        std::vector<HWND> found;
    } search{title, {}};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* s = reinterpret_cast<Search*>(parameter);
            wchar_t buffer[512] = {};
            GetWindowTextW(window, buffer, 512);
            if (s->title == buffer) s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND findTopLevel(const std::wstring& title, int milliseconds) {
    HWND found = nullptr;
    waitFor(
        [&] {
            const auto windows = topLevelWindowsTitled(title);
            found = windows.empty() ? nullptr : windows.front();
            return found != nullptr;
        },
        milliseconds);
    return found;
}

std::size_t indexOf(app::layout::ControlId id) {
    const auto table = app::layout::mainControls();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].id == id) return i;
    return 0;
}

HWND controlOf(HWND main, app::layout::ControlId id) {
    return GetDlgItem(main, QUILL_FIRST_CONTROL_ID + static_cast<int>(indexOf(id)));
}

int menuIdOf(std::string_view name) {
    const auto items = app::layout::mainMenu();
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].name == name) return QUILL_FIRST_MENU_ID + static_cast<int>(i);
    return 0;
}

UINT dpiOf(HWND window) {
    using Function = UINT(WINAPI*)(HWND);
    const auto function = reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (function) return function(window);
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

int px(int twips, UINT dpi) {
    return app::layout::twipsToPixels(twips, static_cast<int>(dpi));
}

void click(HWND main, app::layout::ControlId id) {
    const HWND button = controlOf(main, id);
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

void setSlider(HWND main, int value) {
    const HWND slider = controlOf(main, app::layout::ControlId::Slider1);
    SendMessageW(slider, TBM_SETPOS, TRUE, value);
    SendMessageW(main, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(slider));
}

std::string decimalSeparator() {
    wchar_t separator[8] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) <= 0) return ",";
    return fromWide(separator);
}

DWORD processOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

// The main window once it is shown: its controls exist and Form_Load has run.
HWND findMain() {
    HWND main = findTopLevel(toWide(app::layout::kMainCaption), 20000);
    if (main && !waitFor([&] { return IsWindowVisible(main) != FALSE; }, 20000)) main = nullptr;
    check(main != nullptr, "the main window is shown");
    return main;
}

void keyEvent(WORD key, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
}

void pressWithControl(WORD key) {
    keyEvent(VK_CONTROL, true);
    keyEvent(key, true);
    keyEvent(key, false);
    keyEvent(VK_CONTROL, false);
}

// Brings the main window to the front with the focus in `control`, as a user's click would.
bool focusControl(HWND main, HWND control) {
    SetForegroundWindow(main);
    const DWORD thread = GetWindowThreadProcessId(main, nullptr);
    AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
    SetFocus(control);
    AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
    return waitFor(
        [&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            return GetGUIThreadInfo(thread, &info) && info.hwndFocus == control &&
                   GetForegroundWindow() == main;
        },
        5000);
}

bool waitForExit(DWORD process, int milliseconds, DWORD* exitCode = nullptr) {
    const HANDLE handle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (!handle) return true;  // already gone
    const bool ended = WaitForSingleObject(handle, static_cast<DWORD>(milliseconds)) == WAIT_OBJECT_0;
    if (ended && exitCode) GetExitCodeProcess(handle, exitCode);
    CloseHandle(handle);
    return ended;
}

// --- the scenarios ----------------------------------------------------------------------------------

int warning() {
    const HWND box = findTopLevel(toWide(std::string(app::kNoClientTitle)), 20000);
    check(box != nullptr, "the no-client warning \"Hey, Dude!\" is shown at start");
    if (!box) return 1;
    // The message box's text is its static control 0xFFFF.
    check(textOf(GetDlgItem(box, 0xFFFF)) == toWide(std::string(app::kNoClientText)),
          "the warning reads: " + std::string(app::kNoClientText));
    check(GetDlgItem(box, IDOK) != nullptr && GetDlgItem(box, IDCANCEL) == nullptr &&
              GetDlgItem(box, IDYES) == nullptr,
          "the warning has an OK button only");
    check(GetDlgItem(box, 0x14) == nullptr, "the warning has no icon");
    const HWND main = findTopLevel(toWide(app::layout::kMainCaption), 5000);
    check(main != nullptr && !IsWindowVisible(main), "the main window is not shown yet while the warning is");
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    check(waitFor([&] { return !IsWindow(box); }, 5000), "OK closes the warning");
    check(waitFor([&] { return main && IsWindowVisible(main); }, 5000), "then the main window shows");
    return failures;
}

int window() {
    using app::layout::ControlKind;
    const HWND main = findMain();
    if (!main) return 1;
    const UINT dpi = dpiOf(main);
    std::printf("DPI of the main window: %u\n", dpi);
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &thread);
    check(thread.hwndFocus == controlOf(main, app::layout::ControlId::Command1),
          "Command1 has the focus at start");

    RECT client{};
    GetClientRect(main, &client);
    check(client.right == px(app::layout::kMainClientWidth, dpi) &&
              client.bottom == px(app::layout::kMainClientHeight, dpi),
          "client area is 9015 x 6480 twips (" + show(client.right) + " x " + show(client.bottom) + " px)");
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(main, GWL_STYLE));
    check((style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) == 0 && (style & WS_SYSMENU) &&
              (style & WS_CAPTION) == WS_CAPTION,
          "fixed border with system menu, no sizing, no minimise or maximise box");

    const auto table = app::layout::mainControls();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const auto& control = table[i];
        const HWND handle = GetDlgItem(main, QUILL_FIRST_CONTROL_ID + static_cast<int>(i));
        const std::string name(control.name);
        check(handle != nullptr, name + " exists");
        if (!handle) continue;
        if (control.kind == ControlKind::Frame || control.kind == ControlKind::PushButton ||
            control.kind == ControlKind::Label) {
            check(textOf(handle) == toWide(control.caption),
                  name + " reads \"" + std::string(control.caption) + "\"");
        }
        check((IsWindowVisible(handle) != FALSE) == control.visible,
              name + (control.visible ? " shown" : " hidden"));
        int left = control.left;
        int top = control.top;
        if (control.insideContainer) {
            left += app::layout::control(control.container).left;
            top += app::layout::control(control.container).top;
        }
        RECT rect{};
        GetWindowRect(handle, &rect);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&rect), 2);
        const bool placed = rect.left == px(left, dpi) && rect.top == px(top, dpi) &&
                            rect.right == px(left + control.width, dpi) &&
                            rect.bottom == px(top + control.height, dpi);
        check(placed, name + " at " + show(rect.left) + "," + show(rect.top) + " size " +
                          show(rect.right - rect.left) + "x" + show(rect.bottom - rect.top));
    }
    check(_wcsicmp(classOf(controlOf(main, app::layout::ControlId::Text1)).c_str(), MSFTEDIT_CLASS) == 0,
          "Text1 is a RichEdit 4.1");
    check(classOf(controlOf(main, app::layout::ControlId::Slider1)) == TRACKBAR_CLASSW,
          "Slider1 is a trackbar");
    check(textOf(controlOf(main, app::layout::ControlId::Text1)).empty(), "Text1 starts empty");

    // Focus order: Command1, Command2, Command3, Command4, Text1, Slider1, and round again.
    const auto order = app::layout::mainFocusOrder();
    for (std::size_t i = 0; i < order.size(); ++i) {
        const HWND from = controlOf(main, order[i]);
        const HWND expected = controlOf(main, order[(i + 1) % order.size()]);
        check(GetNextDlgTabItem(main, from, FALSE) == expected,
              "Tab goes from " + std::string(app::layout::control(order[i]).name) + " to " +
                  std::string(app::layout::control(order[(i + 1) % order.size()]).name));
    }

    // Menu bar: "&Datei" with its items and shortcuts, then "&Features v2..." and "&Info...".
    // Menus can be read from another process on Windows; Wine keeps them inside the process.
    const HMENU bar = GetMenu(main);
    if (!bar || !IsMenu(bar)) {
        std::printf("skip the menu bar cannot be read from another process here\n");
    } else {
        check(GetMenuItemCount(bar) == 3, "menu bar with three entries");
    }
    if (bar && IsMenu(bar) && GetMenuItemCount(bar) == 3) {
        wchar_t text[128] = {};
        GetMenuStringW(bar, 0, text, 128, MF_BYPOSITION);
        check(std::wstring(text) == L"&Datei", "first menu \"&Datei\"");
        const HMENU datei = GetSubMenu(bar, 0);
        check(datei && GetMenuItemCount(datei) == 6, "\"&Datei\" holds six lines");
        std::wstring items;
        for (int i = 0; datei && i < GetMenuItemCount(datei); ++i) {
            GetMenuStringW(datei, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
            items += std::wstring(text) + L"|";
        }
        check(items == L"&Neu\tCtrl+N||Oe&ffnen\tCtrl+O|&Speichern\tCtrl+S||&Beenden\tCtrl+X|",
              "\"&Datei\" items: " + fromWide(items));
        GetMenuStringW(bar, 1, text, 128, MF_BYPOSITION);
        check(std::wstring(text) == L"&Features v2...", "second menu \"&Features v2...\"");
        GetMenuStringW(bar, 2, text, 128, MF_BYPOSITION);
        check(std::wstring(text) == L"&Info...", "third menu \"&Info...\"");
    }

    // The delay label follows the slider; the range is 0 to 5.
    const HWND label = controlOf(main, app::layout::ControlId::Label1);
    const HWND slider = controlOf(main, app::layout::ControlId::Slider1);
    check(SendMessageW(slider, TBM_GETRANGEMIN, 0, 0) == 0 &&
              SendMessageW(slider, TBM_GETRANGEMAX, 0, 0) == 5 && SendMessageW(slider, TBM_GETPOS, 0, 0) == 2,
          "Slider1: range 0 to 5, at 2");
    check(textOf(label) == L"Delay von Zeichen zu Zeichen (0,2s)", "Label1 starts with the design caption");
    const std::string separator = decimalSeparator();
    std::printf("decimal separator of the user's locale: \"%s\"\n", separator.c_str());
    for (int value : {5, 0, 1, 2}) {
        setSlider(main, value);
        const std::string expected = "Delay von Zeichen zu Zeichen (" +
                                     (value == 0 ? std::string("0") : "0" + separator + show(value)) + "s)";
        check(textOf(label) == toWide(expected),
              "slider at " + show(value) + ": \"" + fromWide(textOf(label)) + "\"");
    }

    // "&Features v2...": the features message with OK only.
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(menuIdOf("mnu_features"), 0), 0);
    const HWND features = findTopLevel(toWide(std::string(app::kFeaturesTitle)), 5000);
    check(features != nullptr, "\"&Features v2...\" shows \"New Features v2, Dude!\"");
    if (features) {
        check(textOf(GetDlgItem(features, 0xFFFF)) == toWide(std::string(app::kFeaturesText)),
              "with the features text");
        check(GetDlgItem(features, IDCANCEL) == nullptr && GetDlgItem(features, 0x14) == nullptr,
              "OK only, no icon");
        PostMessageW(features, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        check(waitFor([&] { return !IsWindow(features); }, 5000), "OK closes it");
    }
    return failures;
}

int aboutDialog() {
    const HWND main = findMain();
    if (!main) return 1;
    const std::wstring caption = toWide(about::frmAbout_Form_Load().caption);
    click(main, app::layout::ControlId::Command4);
    click(main, app::layout::ControlId::Command4);
    HWND dialog = findTopLevel(caption, 5000);
    check(dialog != nullptr, "\"About\" opens \"Info zu Quillpost\"");
    if (!dialog) return 1;
    // Let the second click arrive.
    SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 2000, nullptr);
    check(topLevelWindowsTitled(caption).size() == 1, "two clicks leave one About dialog");

    const auto texts = about::frmAbout_Form_Load();
    std::vector<std::wstring> shown;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM parameter) -> BOOL {
            reinterpret_cast<std::vector<std::wstring>*>(parameter)->push_back(textOf(child));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&shown));
    for (const std::string& text : {texts.title, texts.version, texts.contact, texts.description,
                                    texts.disclaimer, std::string("OK")}) {
        bool found = false;
        for (const auto& s : shown) found = found || s == toWide(text);
        check(found, "the dialog shows \"" + text.substr(0, 40) + "\"");
    }
    check(texts.version == "Version 2.0.1", "the version label reads \"Version 2.0.1\"");

    const auto style = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE));
    const HWND owner = GetWindow(dialog, GW_OWNER);
    check(owner != nullptr && owner != main && !IsWindowVisible(owner) && !(exStyle & WS_EX_APPWINDOW),
          "owned by a hidden window, so no task-bar button of its own");
    check((style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) == 0 && (exStyle & WS_EX_DLGMODALFRAME),
          "fixed dialog frame without icon, sizing, minimise or maximise box");
    const UINT dpi = dpiOf(dialog);
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    RECT client{};
    GetClientRect(dialog, &client);
    check(origin.x == px(app::layout::kAboutClientLeft, dpi) &&
              origin.y == px(app::layout::kAboutClientTop, dpi),
          "client area at 2340,1935 twips on the screen (" + show(origin.x) + "," + show(origin.y) + ")");
    check(client.right == px(app::layout::kAboutClientWidth, dpi) &&
              client.bottom == px(app::layout::kAboutClientHeight, dpi),
          "client area 5730 x 3615 twips");

    // Esc presses the cancel button, Enter the default button; both are cmdOK.
    PostMessageW(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
    check(waitFor([&] { return !IsWindow(dialog); }, 5000), "Esc closes the dialog");
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(menuIdOf("mnu_info"), 0), 0);
    dialog = findTopLevel(caption, 5000);
    check(dialog != nullptr, "\"&Info...\" opens it again");
    if (!dialog) return 1;
    PostMessageW(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_RETURN, 0);
    check(waitFor([&] { return !IsWindow(dialog); }, 5000), "Enter closes the dialog");
    check(IsWindow(main) && IsWindowVisible(main), "the main window stays");
    return failures;
}

int keys() {
    const HWND main = findMain();
    if (!main) return 1;
    const HWND editor = controlOf(main, app::layout::ControlId::Text1);
    const DWORD process = processOf(main);

    SendMessageW(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Zeile eins\r\nZeile zwei"));
    check(focusControl(main, editor), "the editor has the focus");
    pressWithControl('N');
    check(waitFor([&] { return textOf(editor).empty(); }, 5000), "Ctrl+N in the editor clears it");

    SendMessageW(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"bleibt"));
    check(focusControl(main, editor), "the editor has the focus again");
    pressWithControl('X');
    DWORD exitCode = 1;
    check(waitForExit(process, 10000, &exitCode), "Ctrl+X in the editor ends the program");
    check(exitCode == 0, "with exit code 0");
    return failures;
}

// The file dialog's name field: an edit inside the combo box cmb13 (Explorer style), or edt1.
HWND fileNameField(HWND dialog) {
    struct Search {
        HWND found = nullptr;
    } search;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM parameter) -> BOOL {
            auto* s = reinterpret_cast<Search*>(parameter);
            if (_wcsicmp(classOf(child).c_str(), L"Edit") == 0 &&
                (GetDlgCtrlID(child) == cmb13 || GetDlgCtrlID(child) == edt1)) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The folder the dialog shows first: the text of its "look in" box (cmb2).
std::wstring dialogFolder(HWND dialog) {
    return textOf(GetDlgItem(dialog, cmb2));
}

std::wstring programFolderName() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path().filename().wstring();
}

bool chooseInDialog(const std::wstring& title, const std::wstring& path) {
    const HWND dialog = findTopLevel(title, 10000);
    check(dialog != nullptr, "the dialog \"" + fromWide(title) + "\" opens");
    if (!dialog) return false;
    check(dialogFolder(dialog) == programFolderName(),
          "it starts in the program's folder (" + fromWide(dialogFolder(dialog)) + ")");
    if (path.empty()) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else {
        const HWND field = fileNameField(dialog);
        check(field != nullptr, "it has a file name field");
        if (!field) return false;
        SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    return waitFor([&] { return !IsWindow(dialog); }, 10000);
}

// The control's text with every line break as LF.
std::string crLfToLf(const std::wstring& text) {
    std::string out;
    const std::string utf8 = fromWide(text);
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r') {
            out += '\n';
            if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
        } else {
            out += utf8[i];
        }
    }
    return out;
}

std::string readBytes(const std::wstring& path);

int files() {
    const HWND main = findMain();
    if (!main) return 1;
    const HWND editor = controlOf(main, app::layout::ControlId::Text1);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring saved = std::wstring(temp) + L"quillpost-gespeichert.txt";
    const std::wstring rtf = std::wstring(temp) + L"quillpost-brief.rtf";
    DeleteFileW(saved.c_str());

    // Save: the editor's plain text, in the ANSI code page, lines with CR LF.
    SendMessageW(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Zeile 1\r\nGr\u00fc\u00dfe \u20ac"));
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(menuIdOf("mnu_datei_speichern"), 0), 0);
    check(chooseInDialog(toWide(std::string(app::kSaveDialogTitle)), saved),
          "a name chosen in the save dialog");
    std::string bytes;
    waitFor(
        [&] {
            bytes = readBytes(saved);
            return !bytes.empty();
        },
        5000);
    std::printf("ANSI code page %u\n", GetACP());
    const std::string expected = GetACP() == 1252 ? "Zeile 1\r\nGr\xFC\xDF"
                                                    "e \x80"
                                                  : bytes;
    check(bytes == expected || bytes == expected + "\r\n",
          "the saved file holds the text in code page 1252 with CR LF (" + show(bytes.size()) + " bytes)");

    // Open: a rich-text file comes in with its text.
    {
        std::ofstream out(std::filesystem::path(rtf), std::ios::binary);
        out << "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}}\\f0 Fett: {\\b dick}\\par zweite Zeile "
               "\\'e4\\'f6\\'fc}";
    }
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(menuIdOf("mnu_datei_oeffnen"), 0), 0);
    check(chooseInDialog(toWide(std::string(app::kOpenDialogTitle)), rtf),
          "a file chosen in the open dialog");
    const std::string loaded = "Fett: dick\nzweite Zeile \xC3\xA4\xC3\xB6\xC3\xBC";
    check(waitFor([&] { return crLfToLf(textOf(editor)) == loaded; }, 5000),
          "the editor shows the loaded text: " + crLfToLf(textOf(editor)));

    // Cancelling the open dialog leaves the editor as it was.
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(menuIdOf("mnu_datei_oeffnen"), 0), 0);
    check(chooseInDialog(toWide(std::string(app::kOpenDialogTitle)), L""), "the open dialog cancelled");
    check(crLfToLf(textOf(editor)) == loaded, "the editor is untouched");

    // Alt+L presses "Text &löschen".
    check(focusControl(main, controlOf(main, app::layout::ControlId::Command1)), "Command1 has the focus");
    keyEvent(VK_MENU, true);
    keyEvent('L', true);
    keyEvent('L', false);
    keyEvent(VK_MENU, false);
    check(waitFor([&] { return textOf(editor).empty(); }, 5000), "Alt+L clears the editor");
    DeleteFileW(saved.c_str());
    DeleteFileW(rtf.c_str());
    return failures;
}

int closeWithAbout() {
    const HWND main = findMain();
    if (!main) return 1;
    const DWORD process = processOf(main);
    const std::wstring caption = toWide(about::frmAbout_Form_Load().caption);
    click(main, app::layout::ControlId::Command4);
    const HWND dialog = findTopLevel(caption, 5000);
    check(dialog != nullptr, "About is open");
    PostMessageW(main, WM_CLOSE, 0, 0);
    check(waitFor([&] { return !IsWindow(main); }, 5000), "the close box closes the main window");
    check(!waitForExit(process, 500) && dialog && IsWindow(dialog),
          "the program goes on while About is open");
    if (dialog) PostMessageW(dialog, WM_CLOSE, 0, 0);
    check(waitForExit(process, 10000), "closing About too ends the program");
    return failures;
}

std::string readBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int type(const std::wstring& outputFile, const std::string& layoutName, bool fast,
         const std::wstring& receiverTitle) {
    const HWND main = findMain();
    if (!main) return 1;
    const HWND receiver = findTopLevel(receiverTitle, 5000);
    check(receiver != nullptr, "the receiver window exists");
    if (!receiver) return 1;
    check(topLevelWindowsTitled(toWide(std::string(app::kNoClientTitle))).empty(),
          "no warning with a client running");

    // The keyboard layout of the receiver's thread: German 0407 or US 0409.
    const HKL layout = GetKeyboardLayout(GetWindowThreadProcessId(receiver, nullptr));
    const auto language = static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(layout) & 0xFFFF);
    std::printf("keyboard layout of the receiver: %08lx\n",
                static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(layout)));
    check(language == (layoutName == "de" ? 0x0407u : 0x0409u),
          "the receiver's keyboard layout is " + layoutName);

    const HWND list = controlOf(main, app::layout::ControlId::List1_1);
    wchar_t recorded[256] = {};
    SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(recorded));
    check(SendMessageW(list, LB_GETCOUNT, 0, 0) == 1 && receiverTitle == recorded,
          "List1(1) holds the client's title: " + fromWide(recorded));

    std::string expected = fast ? std::string(testing::kAcceptanceText) : "hallo Welt\nzeile zwei: Grüße, €";
    std::string editorText;
    for (char c : expected) editorText += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const HWND editor = controlOf(main, app::layout::ControlId::Text1);
    SendMessageW(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(toWide(editorText).c_str()));
    check(!textOf(editor).empty(), "the text is in the editor");

    if (!fast) check(IsIconic(receiver) != FALSE, "the receiver starts minimised");
    // fast: slider at 0, so the timer does not tick and the test gives the ticks itself;
    // timer: slider at 1, ticks every 100 ms from the real timer.
    setSlider(main, fast ? 0 : 1);
    const auto started = std::chrono::steady_clock::now();
    click(main, app::layout::ControlId::Command1);
    if (!fast) {
        // The user holds Shift down while the text goes out: lower-case letters must stay lower case.
        check(waitFor([&] { return GetForegroundWindow() == receiver; }, 5000),
              "the receiver comes to the front");
        keyEvent(VK_LSHIFT, true);
    }

    const std::size_t characters = unicode::codePointCount(expected);
    std::string received;
    const bool complete = waitFor(
        [&] {
            if (fast) {
                for (int i = 0; i < 8; ++i)
                    SendMessageTimeoutW(main, WM_TIMER, 1, 0, SMTO_NORMAL, 2000, nullptr);
            }
            received = readBytes(outputFile);
            return received.size() >= expected.size();
        },
        fast ? 90000 : 30000);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%zu characters typed in %.2f s\n", characters, seconds);
    if (!fast) {
        check((GetAsyncKeyState(VK_LSHIFT) & 0x8000) != 0, "Shift is still held after the transfer");
        keyEvent(VK_LSHIFT, false);
        check(!IsIconic(receiver), "the minimised receiver was restored");
        check(GetForegroundWindow() == receiver, "and is the foreground window");
    }
    check(complete, "every character arrived");
    if (received != expected) {
        std::size_t at = 0;
        while (at < received.size() && at < expected.size() && received[at] == expected[at]) ++at;
        std::printf("first difference at byte %zu\n  expected: %s\n  received: %s\n", at,
                    expected.substr(at > 10 ? at - 10 : 0, 40).c_str(),
                    received.substr(at > 10 ? at - 10 : 0, 40).c_str());
    }
    check(received == expected, "the receiver got the text exactly (" + show(received.size()) + " bytes)");
    return failures;
}

// What the keyboard layout of this Wine session makes of a few keys (diagnostics).
int layoutReport() {
    const HKL layout = GetKeyboardLayout(0);
    wchar_t name[KL_NAMELENGTH] = {};
    GetKeyboardLayoutNameW(name);
    std::printf("layout %s\n", fromWide(name).c_str());
    for (const wchar_t* c = L"zyö@€^ß{"; *c; ++c) {
        const SHORT scan = VkKeyScanExW(*c, layout);
        std::printf("  VkKeyScan('%s') = vk %02x shift %x\n", fromWide(std::wstring(1, *c)).c_str(),
                    scan & 0xFF, (scan >> 8) & 0xFF);
    }
    for (UINT vk : {UINT('Y'), UINT('Z'), UINT(VK_OEM_3), UINT(VK_OEM_1), UINT(VK_OEM_4)}) {
        BYTE state[256] = {};
        wchar_t out[8] = {};
        const int n =
            ToUnicodeEx(vk, MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC, layout), state, out, 8, 0, layout);
        std::printf("  ToUnicode(vk %02x) = %d '%s'\n", vk, n,
                    n > 0 ? fromWide(std::wstring(out, n)).c_str() : "");
    }
    return 0;
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count < 2) {
        std::fprintf(stderr,
                     "usage: driver warning|window|about|files|keys|close-with-about|layout|type FILE us|de "
                     "fast|timer [practice]\n");
        return 2;
    }
    const std::wstring command = arguments[1];
    if (command == L"warning") return warning();
    if (command == L"window") return window();
    if (command == L"about") return aboutDialog();
    if (command == L"keys") return keys();
    if (command == L"files") return files();
    if (command == L"layout") return layoutReport();
    if (command == L"close-with-about") return closeWithAbout();
    if (command == L"type" && (count == 5 || (count == 6 && std::wstring(arguments[5]) == L"practice")))
        return type(
            arguments[2], fromWide(arguments[3]), std::wstring(arguments[4]) == L"fast",
            count == 6 ? toWide(std::string(practice::kDefaultTitle)) : L"Ultima Online - Empf\u00e4nger");
    std::fprintf(stderr, "unknown command\n");
    return 2;
}
