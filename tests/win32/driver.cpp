// Drives the real Quillpost.exe from outside, as a test: finds its windows by caption, reads and
// sets controls with window messages, presses keys with SendInput, and checks what the user would
// see against support/expected_ui.h, scaled to the window's DPI.
// A console program without windows of its own, so it never takes the focus.
//   driver.exe warning | window | about | files | keys | alt-x | close-with-about
//   driver.exe type OUTPUT-FILE us|de fast|timer [practice]
//   driver.exe clear-while-typing OUTPUT-FILE
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
#include <string>
#include <thread>
#include <vector>

#include "core/unicode.h"
#include "platform/win32/wide_text.h"
#include "resource_ids.h"
#include "support/acceptance_text.h"
#include "support/expected_ui.h"

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

std::string show(long long value) {
    return std::to_string(value);
}
std::wstring wide(std::string_view text) {
    return toWide(std::string(text));
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

HWND findTopLevel(std::string_view title, int milliseconds) {
    HWND found = nullptr;
    waitFor(
        [&] {
            const auto windows = topLevelWindowsTitled(wide(title));
            found = windows.empty() ? nullptr : windows.front();
            return found != nullptr;
        },
        milliseconds);
    return found;
}

// The program numbers the controls in tab order, as the table lists them.
std::size_t indexOf(std::string_view name) {
    for (std::size_t i = 0; i < expected::kMainControls.size(); ++i)
        if (expected::kMainControls[i].name == name) return i;
    return 999;
}
HWND controlOf(HWND main, std::string_view name) {
    return GetDlgItem(main, QUILL_FIRST_CONTROL_ID + static_cast<int>(indexOf(name)));
}

// Menu commands are numbered in the menu's order, separators and "&Datei" included.
enum MenuCommand { kMenuOeffnen = 3, kMenuSpeichern = 4, kMenuFeatures = 7, kMenuInfo = 8 };
void menu(HWND main, MenuCommand command) {
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(QUILL_FIRST_MENU_ID + command, 0), 0);
}

int dpiOf(HWND window) {
    using Function = UINT(WINAPI*)(HWND);
    const auto function = reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (function) return static_cast<int>(function(window));
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// A child's rectangle in its window's client area against the 96-DPI rectangle scaled to `dpi`.
void checkPlace(HWND parent, HWND child, const expected::Rect& r, int dpi, std::string_view name) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    using expected::scaled;
    check(rect.left == scaled(r.left, dpi) && rect.top == scaled(r.top, dpi) &&
              rect.right == scaled(r.left + r.width, dpi) && rect.bottom == scaled(r.top + r.height, dpi),
          std::string(name) + " at " + show(rect.left) + "," + show(rect.top) + " size " +
              show(rect.right - rect.left) + "x" + show(rect.bottom - rect.top));
}

void click(HWND main, std::string_view name) {
    const HWND button = controlOf(main, name);
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

void setSlider(HWND main, int value) {
    const HWND slider = controlOf(main, "Slider1");
    SendMessageW(slider, TBM_SETPOS, TRUE, value);
    SendMessageW(main, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(slider));
}

void setText(HWND main, const std::wstring& text) {
    SendMessageW(controlOf(main, "Text1"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

DWORD processOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

// The main window once it is shown: its controls exist and Form_Load has run.
HWND findMain() {
    HWND main = findTopLevel(expected::kMainCaption, 20000);
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

// Presses `key`, with `modifier` (VK_CONTROL, VK_MENU or 0) held.
void press(WORD modifier, WORD key) {
    if (modifier) keyEvent(modifier, true);
    keyEvent(key, true);
    keyEvent(key, false);
    if (modifier) keyEvent(modifier, false);
}

HWND focusOf(HWND main) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info);
    return info.hwndFocus;
}

// Brings the main window to the front with the focus in `control`, as a user's click would.
bool focusControl(HWND main, HWND control) {
    SetForegroundWindow(main);
    const DWORD thread = GetWindowThreadProcessId(main, nullptr);
    AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
    SetFocus(control);
    AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
    return waitFor([&] { return focusOf(main) == control && GetForegroundWindow() == main; }, 5000);
}

bool waitForExit(DWORD process, int milliseconds, DWORD* exitCode = nullptr) {
    const HANDLE handle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (!handle) return true;  // already gone
    const bool ended = WaitForSingleObject(handle, static_cast<DWORD>(milliseconds)) == WAIT_OBJECT_0;
    if (ended && exitCode) GetExitCodeProcess(handle, exitCode);
    CloseHandle(handle);
    return ended;
}

// A message box with `title`: its text, OK only, no icon; then OK closes it.
void checkMessageBox(std::string_view title, std::string_view text) {
    const HWND box = findTopLevel(title, 10000);
    check(box != nullptr, "the message \"" + std::string(title) + "\" is shown");
    if (!box) return;
    // The message box's text is its static control 0xFFFF; an icon would be 0x14.
    check(textOf(GetDlgItem(box, 0xFFFF)) == wide(text), "it reads: " + std::string(text));
    check(GetDlgItem(box, IDOK) && !GetDlgItem(box, IDCANCEL) && !GetDlgItem(box, IDYES) &&
              !GetDlgItem(box, 0x14),
          "OK only, no icon");
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    check(waitFor([&] { return !IsWindow(box); }, 5000), "OK closes it");
}

std::string readBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// --- the scenarios ----------------------------------------------------------------------------------

int warning() {
    const HWND main = findTopLevel(expected::kMainCaption, 20000);
    check(findTopLevel(expected::kNoClientTitle, 20000) && main && !IsWindowVisible(main),
          "the main window is not shown yet while the warning is");
    checkMessageBox(expected::kNoClientTitle, expected::kNoClientText);
    check(waitFor([&] { return main && IsWindowVisible(main); }, 5000), "then the main window shows");
    return failures;
}

int window() {
    const HWND main = findMain();
    if (!main) return 1;
    const int dpi = dpiOf(main);
    std::printf("DPI of the main window: %d\n", dpi);
    check(focusOf(main) == controlOf(main, "Command1"), "Command1 has the focus at start");

    RECT client{};
    GetClientRect(main, &client);
    check(client.right == expected::scaled(expected::kMainWidth, dpi) &&
              client.bottom == expected::scaled(expected::kMainHeight, dpi),
          "client area " + show(client.right) + " x " + show(client.bottom));
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(main, GWL_STYLE));
    check((style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) == 0 && (style & WS_SYSMENU) &&
              (style & WS_CAPTION) == WS_CAPTION,
          "fixed border with system menu, no sizing, no minimise or maximise box");

    for (const expected::Control& control : expected::kMainControls) {
        const std::string name(control.name);
        const HWND handle = controlOf(main, control.name);
        check(handle != nullptr, name + " exists");
        if (!handle) continue;
        if (name.starts_with("Frame") || name.starts_with("Command") || name == "Label1")
            check(textOf(handle) == wide(control.caption),
                  name + " reads \"" + std::string(control.caption) + "\"");
        check((IsWindowVisible(handle) != FALSE) == control.shown,
              name + (control.shown ? " shown" : " hidden"));
        checkPlace(main, handle, control.rect, dpi, control.name);
    }
    check(_wcsicmp(classOf(controlOf(main, "Text1")).c_str(), MSFTEDIT_CLASS) == 0,
          "Text1 is a RichEdit 4.1");
    check(textOf(controlOf(main, "Text1")).empty(), "Text1 starts empty");
    const HWND slider = controlOf(main, "Slider1");
    check(classOf(slider) == TRACKBAR_CLASSW && SendMessageW(slider, TBM_GETRANGEMIN, 0, 0) == 0 &&
              SendMessageW(slider, TBM_GETRANGEMAX, 0, 0) == 5 && SendMessageW(slider, TBM_GETPOS, 0, 0) == 2,
          "Slider1 is a trackbar from 0 to 5, at 2");

    const auto& order = expected::kFocusOrder;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::string_view next = order[(i + 1) % order.size()];
        check(GetNextDlgTabItem(main, controlOf(main, order[i]), FALSE) == controlOf(main, next),
              "Tab goes from " + std::string(order[i]) + " to " + std::string(next));
    }

    // The delay label follows the slider, with the decimal separator of the user's locale.
    wchar_t separator[8] = {};
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
    const HWND label = controlOf(main, "Label1");
    for (int value : {5, 0, 1, 2}) {
        setSlider(main, value);
        const std::wstring tenths =
            value == 0 ? L"0" : L"0" + std::wstring(separator) + std::to_wstring(value);
        check(textOf(label) == L"Delay von Zeichen zu Zeichen (" + tenths + L"s)",
              "slider at " + show(value) + ": \"" + fromWide(textOf(label)) + "\"");
    }

    menu(main, kMenuFeatures);
    checkMessageBox(expected::kFeaturesTitle, expected::kFeaturesText);
    return failures;
}

int aboutDialog() {
    const HWND main = findMain();
    if (!main) return 1;
    click(main, "Command4");
    click(main, "Command4");
    HWND dialog = findTopLevel(expected::kAboutCaption, 5000);
    check(dialog != nullptr, "\"About\" opens \"Info zu Quillpost\"");
    if (!dialog) return 1;
    SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 2000, nullptr);  // the second click is through
    check(topLevelWindowsTitled(wide(expected::kAboutCaption)).size() == 1,
          "two clicks leave one About dialog");

    const int dpi = dpiOf(dialog);
    // The children, created in tab order.
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const expected::Control& control : expected::kAboutControls) {
        check(child != nullptr, std::string(control.name) + " exists");
        if (!child) break;
        if (control.name != "picIcon")
            check(
                textOf(child) == wide(control.caption),
                std::string(control.name) + " reads \"" + std::string(control.caption.substr(0, 40)) + "\"");
        checkPlace(dialog, child, control.rect, dpi, control.name);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    check(GetDlgItem(dialog, IDOK) == GetWindow(dialog, GW_CHILD), "cmdOK is the OK button");

    const auto style = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE));
    const HWND owner = GetWindow(dialog, GW_OWNER);
    check(owner != nullptr && owner != main && !IsWindowVisible(owner) && !(exStyle & WS_EX_APPWINDOW),
          "owned by a hidden window, so no task-bar button of its own");
    check((style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) == 0 && (exStyle & WS_EX_DLGMODALFRAME),
          "fixed dialog frame without icon, sizing, minimise or maximise box");
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    RECT client{};
    GetClientRect(dialog, &client);
    const expected::Rect& place = expected::kAboutClient;
    using expected::scaled;
    check(origin.x == scaled(place.left, dpi) && origin.y == scaled(place.top, dpi) &&
              client.right == scaled(place.width, dpi) && client.bottom == scaled(place.height, dpi),
          "client area at " + show(origin.x) + "," + show(origin.y) + " size " + show(client.right) + "x" +
              show(client.bottom));

    // Esc presses the cancel button, Enter the default button; both are cmdOK.
    PostMessageW(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
    check(waitFor([&] { return !IsWindow(dialog); }, 5000), "Esc closes the dialog");
    menu(main, kMenuInfo);
    dialog = findTopLevel(expected::kAboutCaption, 5000);
    check(dialog != nullptr, "\"&Info...\" opens it again");
    if (!dialog) return 1;
    PostMessageW(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_RETURN, 0);
    check(waitFor([&] { return !IsWindow(dialog); }, 5000), "Enter closes the dialog");
    check(IsWindow(main) && IsWindowVisible(main), "the main window stays");
    return failures;
}

// The file dialog's name field: an edit inside the combo box cmb13 (Explorer style), or edt1.
HWND fileNameField(HWND dialog) {
    HWND found = nullptr;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM parameter) -> BOOL {
            if (_wcsicmp(classOf(child).c_str(), L"Edit") != 0) return TRUE;
            if (GetDlgCtrlID(child) != cmb13 && GetDlgCtrlID(child) != edt1) return TRUE;
            *reinterpret_cast<HWND*>(parameter) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Waits for the file dialog `title`, which starts in the program's folder, and answers it with
// `path`, or cancels it when `path` is empty. True once it has closed.
bool chooseInDialog(std::string_view title, const std::wstring& path) {
    const HWND dialog = findTopLevel(title, 10000);
    check(dialog != nullptr, "the dialog \"" + std::string(title) + "\" opens");
    if (!dialog) return false;
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring folder = textOf(GetDlgItem(dialog, cmb2));  // the "look in" box
    check(folder == std::filesystem::path(program).parent_path().filename().wstring(),
          "it starts in the program's folder (" + fromWide(folder) + ")");
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

// The editor's text with every line break as LF, in UTF-8.
std::string editorText(HWND main) {
    std::string out;
    for (char c : fromWide(textOf(controlOf(main, "Text1"))))
        if (c != '\n') out += c == '\r' ? '\n' : c;
    return out;
}

int files() {
    const HWND main = findMain();
    if (!main) return 1;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring saved = std::wstring(temp) + L"quillpost-gespeichert.txt";
    const std::wstring rtf = std::wstring(temp) + L"quillpost-brief.rtf";
    std::printf("ANSI code page %u\n", GetACP());

    // Save: the editor's plain text, in the ANSI code page, lines with CR LF. Saving again under the
    // same name replaces the file without a question.
    std::ofstream(std::filesystem::path(saved), std::ios::binary) << "eine alte Datei, die ersetzt wird";
    const std::pair<const wchar_t*, const char*> saves[] = {{L"Zeile 1\r\nGr\u00fc\u00dfe \u20ac",
                                                             "Zeile 1\r\nGr\xFC\xDF"
                                                             "e \x80"},
                                                            {L"Ersetzt", "Ersetzt"}};
    for (const auto& [text, bytes] : saves) {
        setText(main, text);
        menu(main, kMenuSpeichern);
        check(chooseInDialog(expected::kSaveTitle, saved), "the save dialog closes on the existing name");
        const std::string expected = GetACP() == 1252 ? std::string(bytes) : readBytes(saved);
        std::string written;
        const bool replaced = waitFor(
            [&] {
                written = readBytes(saved);
                return written == expected || written == expected + "\r\n";
            },
            5000);
        check(replaced, "the file holds the editor's text in code page 1252 with CR LF (" +
                            show(written.size()) + " bytes)");
    }

    // Open: a rich-text file comes in with its text; cancelling leaves the editor as it is.
    std::ofstream(std::filesystem::path(rtf), std::ios::binary)
        << "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}}\\f0 Fett: {\\b dick}\\par zweite Zeile "
           "\\'e4\\'f6\\'fc}";
    const std::string loaded = "Fett: dick\nzweite Zeile \xC3\xA4\xC3\xB6\xC3\xBC";
    menu(main, kMenuOeffnen);
    check(chooseInDialog(expected::kOpenTitle, rtf), "a file chosen in the open dialog");
    check(waitFor([&] { return editorText(main) == loaded; }, 5000),
          "the editor shows the loaded text: " + editorText(main));
    menu(main, kMenuOeffnen);
    check(chooseInDialog(expected::kOpenTitle, L""), "the open dialog cancelled");
    check(editorText(main) == loaded, "the editor is untouched");
    DeleteFileW(saved.c_str());
    DeleteFileW(rtf.c_str());
    return failures;
}

// The keys without the menu, as a user presses them.
int keys() {
    const HWND main = findMain();
    if (!main) return 1;
    const HWND editor = controlOf(main, "Text1");
    const DWORD process = processOf(main);

    check(focusControl(main, controlOf(main, "Command3")), "Command3 has the focus");
    press(VK_MENU, 'T');
    checkMessageBox(expected::kNoClientTitle, expected::kNoClientText);  // Alt+T: no client

    setText(main, L"weg damit");
    check(focusControl(main, controlOf(main, "Command1")), "Command1 has the focus");
    press(VK_MENU, 'L');
    check(waitFor([&] { return textOf(editor).empty(); }, 5000), "Alt+L clears the editor");

    // In the editor Tab is typed, Ctrl+Tab goes on to the slider.
    check(focusControl(main, editor), "the editor has the focus");
    press(0, VK_TAB);
    check(waitFor([&] { return textOf(editor) == L"\t"; }, 5000) && focusOf(main) == editor,
          "Tab in the editor types a tab and stays");
    press(VK_CONTROL, VK_TAB);
    check(waitFor([&] { return focusOf(main) == controlOf(main, "Slider1"); }, 5000),
          "Ctrl+Tab leaves to Slider1");
    check(focusControl(main, editor), "the editor has the focus");
    keyEvent(VK_SHIFT, true);
    press(VK_CONTROL, VK_TAB);
    keyEvent(VK_SHIFT, false);
    check(waitFor([&] { return focusOf(main) == controlOf(main, "Command4"); }, 5000),
          "Ctrl+Shift+Tab leaves back to Command4");

    const std::pair<char, std::string_view> dialogs[] = {{'O', expected::kOpenTitle},
                                                         {'S', expected::kSaveTitle}};
    for (const auto& [key, title] : dialogs) {
        setText(main, L"bleibt");
        check(focusControl(main, editor), "the editor has the focus");
        press(VK_CONTROL, static_cast<WORD>(key));
        check(chooseInDialog(title, L""),
              std::string("Ctrl+") + key + " opens \"" + std::string(title) + "\"");
        check(textOf(editor) == L"bleibt", "cancelled: the editor is untouched");
    }

    check(focusControl(main, editor), "the editor has the focus");
    press(VK_CONTROL, 'N');
    check(waitFor([&] { return textOf(editor).empty(); }, 5000), "Ctrl+N in the editor clears it");

    setText(main, L"bleibt");
    check(focusControl(main, editor), "the editor has the focus again");
    press(VK_CONTROL, 'X');
    DWORD exitCode = 1;
    check(waitForExit(process, 10000, &exitCode) && exitCode == 0, "Ctrl+X in the editor ends the program");
    return failures;
}

int altX() {
    const HWND main = findMain();
    if (!main) return 1;
    check(focusControl(main, controlOf(main, "Slider1")), "Slider1 has the focus");
    press(VK_MENU, 'X');
    DWORD exitCode = 1;
    check(waitForExit(processOf(main), 10000, &exitCode) && exitCode == 0, "Alt+X ends the program");
    return failures;
}

int closeWithAbout() {
    const HWND main = findMain();
    if (!main) return 1;
    const DWORD process = processOf(main);
    click(main, "Command4");
    const HWND dialog = findTopLevel(expected::kAboutCaption, 5000);
    check(dialog != nullptr, "About is open");
    PostMessageW(main, WM_CLOSE, 0, 0);
    check(waitFor([&] { return !IsWindow(main); }, 5000), "the close box closes the main window");
    check(!waitForExit(process, 500) && dialog && IsWindow(dialog),
          "the program goes on while About is open");
    if (dialog) PostMessageW(dialog, WM_CLOSE, 0, 0);
    check(waitForExit(process, 10000), "closing About too ends the program");
    return failures;
}

int type(const std::wstring& outputFile, const std::string& layoutName, bool fast,
         std::string_view receiverTitle) {
    const HWND main = findMain();
    if (!main) return 1;
    const HWND receiver = findTopLevel(receiverTitle, 5000);
    check(receiver != nullptr, "the receiver window exists");
    if (!receiver) return 1;
    check(topLevelWindowsTitled(wide(expected::kNoClientTitle)).empty(), "no warning with a client running");

    // The keyboard layout of the receiver's thread: German 0407 or US 0409.
    const HKL layout = GetKeyboardLayout(GetWindowThreadProcessId(receiver, nullptr));
    const auto language = static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(layout) & 0xFFFF);
    check(language == (layoutName == "de" ? 0x0407u : 0x0409u),
          "the receiver's keyboard layout is " + layoutName);

    const HWND list = controlOf(main, "List1(1)");
    wchar_t recorded[256] = {};
    SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(recorded));
    check(SendMessageW(list, LB_GETCOUNT, 0, 0) == 1 && wide(receiverTitle) == recorded,
          "List1(1) holds the client's title: " + fromWide(recorded));

    const std::string expected =
        fast ? std::string(testing::kAcceptanceText) : "hallo Welt\nzeile zwei: Grüße, €";
    std::string withCrLf;
    for (char c : expected) withCrLf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    setText(main, toWide(withCrLf));

    if (!fast) check(IsIconic(receiver) != FALSE, "the receiver starts minimised");
    // fast: slider at 0, so the timer does not tick and the test gives the ticks itself;
    // timer: slider at 1, ticks every 100 ms from the real timer.
    setSlider(main, fast ? 0 : 1);
    const auto started = std::chrono::steady_clock::now();
    click(main, "Command1");
    if (!fast) {
        // The user holds Shift down while the text goes out: lower-case letters must stay lower case.
        check(waitFor([&] { return GetForegroundWindow() == receiver; }, 5000),
              "the receiver comes to the front");
        keyEvent(VK_LSHIFT, true);
    }
    std::string received;
    const bool complete = waitFor(
        [&] {
            if (fast)
                for (int i = 0; i < 8; ++i)
                    SendMessageTimeoutW(main, WM_TIMER, 1, 0, SMTO_NORMAL, 2000, nullptr);
            received = readBytes(outputFile);
            return received.size() >= expected.size();
        },
        fast ? 90000 : 30000);
    std::printf("%zu characters typed in %.2f s\n", unicode::codePointCount(expected),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    if (!fast) {
        check((GetAsyncKeyState(VK_LSHIFT) & 0x8000) != 0, "Shift is still held after the transfer");
        keyEvent(VK_LSHIFT, false);
        check(!IsIconic(receiver) && GetForegroundWindow() == receiver,
              "the minimised receiver was restored and is the foreground window");
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

// "Text &löschen" (Alt+L) while a transfer runs: the editor empties and the transfer stops.
int clearWhileTyping(const std::wstring& outputFile) {
    const HWND main = findMain();
    const HWND receiver = findTopLevel("Ultima Online - Empf\xC3\xA4nger", 5000);
    if (!main || !receiver) return 1;
    const std::size_t before = readBytes(outputFile).size();
    setText(main, std::wstring(200, L'x'));
    setSlider(main, 5);  // half a second a character
    click(main, "Command1");
    check(waitFor([&] { return readBytes(outputFile).size() > before; }, 5000), "the transfer has begun");
    // Back in Quillpost the transfer waits; Alt+L clears the text.
    check(focusControl(main, controlOf(main, "Command1")), "Quillpost is in front again");
    press(VK_MENU, 'L');
    check(waitFor([&] { return textOf(controlOf(main, "Text1")).empty(); }, 5000), "Alt+L clears the editor");
    SetForegroundWindow(receiver);
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    // The tick found no text and stopped: a new text is not sent on.
    setText(main, std::wstring(200, L'y'));
    const std::size_t stopped = readBytes(outputFile).size();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const std::string after = readBytes(outputFile);
    check(after.size() == stopped && after.find('y') == std::string::npos,
          "nothing more is typed after Alt+L");
    return failures;
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    const std::wstring command = arguments && count >= 2 ? arguments[1] : L"";
    if (command == L"warning") return warning();
    if (command == L"window") return window();
    if (command == L"about") return aboutDialog();
    if (command == L"keys") return keys();
    if (command == L"alt-x") return altX();
    if (command == L"files") return files();
    if (command == L"close-with-about") return closeWithAbout();
    if (command == L"clear-while-typing" && count == 3) return clearWhileTyping(arguments[2]);
    if (command == L"type" && (count == 5 || (count == 6 && std::wstring(arguments[5]) == L"practice")))
        return type(arguments[2], fromWide(arguments[3]), std::wstring(arguments[4]) == L"fast",
                    count == 6 ? std::string_view("Ultima Online - \xC3\x9C"
                                                  "bungsbuch")
                               : std::string_view("Ultima Online - Empf\xC3\xA4nger"));
    std::fprintf(stderr,
                 "usage: driver warning|window|about|files|keys|alt-x|close-with-about|"
                 "clear-while-typing FILE|type FILE us|de fast|timer [practice]\n");
    return 2;
}
