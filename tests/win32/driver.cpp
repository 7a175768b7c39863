// Drives the real Quillpost.exe from outside, as a test: finds its windows by caption, reads and
// sets controls with window messages, presses keys with SendInput, and checks what the user would
// see against support/expected_ui.h, scaled to the window's DPI. A console program without windows
// of its own, so it never takes the focus. The client is the practice client (QuillpostPractice.exe
// --record FILE) under its default title.
//   driver.exe warning | window | about | files | keys | alt-x | close-with-about | minimise-client
//   driver.exe type RECORD-FILE us|de fast|timer
//   driver.exe clear-while-typing RECORD-FILE
//   driver.exe version PATH-TO-Quillpost.exe     (needs no display)
//   driver.exe type-sdl RECORD-FILE KEY-LOG TITLE acceptance|scan-codes|short [RETITLE-FILE NEW-TITLE]
//     (into tests/sdl/sdl_receiver.cpp titled TITLE, renamed to NEW-TITLE after Quillpost started)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// Headers that need windows.h first.
#include <commctrl.h>
#include <dlgs.h>
#include <richedit.h>
#include <shellapi.h>

#include <algorithm>
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
using std::to_string;

namespace {

constexpr std::string_view kClientTitle =
    "Ultima Online - \xC3\x9C"
    "bungsbuch";
int failures = 0;

void check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!ok) ++failures;
}

bool waitFor(const std::function<bool()>& condition, int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// WM_GETTEXT: the control's real text, also across processes.
std::wstring textOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// A top-level window with `title` once it exists, or null after `milliseconds`.
HWND findTopLevel(std::string_view title, int milliseconds) {
    HWND found = nullptr;
    waitFor([&] { return (found = FindWindowW(nullptr, toWide(title).c_str())) != nullptr; }, milliseconds);
    return found;
}

// The program numbers the controls in tab order, as the table lists them.
HWND controlOf(HWND main, std::string_view name) {
    const auto& all = expected::kMainControls;
    const auto at =
        std::find_if(all.begin(), all.end(), [&](const auto& control) { return control.name == name; });
    return GetDlgItem(main, QUILL_FIRST_CONTROL_ID + static_cast<int>(at - all.begin()));
}

// Menu commands are numbered in the menu's order, separators and "&Datei" included.
enum MenuCommand { kMenuOeffnen = 3, kMenuSpeichern = 4, kMenuFeatures = 7, kMenuInfo = 8 };
void menu(HWND main, MenuCommand command) {
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(QUILL_FIRST_MENU_ID + command, 0), 0);
}

// A child's rectangle in its window's client area against the 96-DPI rectangle scaled to `dpi`.
void checkPlace(HWND parent, HWND child, const expected::Rect& r, int dpi, std::string_view name) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    using expected::scaled;
    check(rect.left == scaled(r.left, dpi) && rect.top == scaled(r.top, dpi) &&
              rect.right == scaled(r.left + r.width, dpi) && rect.bottom == scaled(r.top + r.height, dpi),
          std::string(name) + " at " + to_string(rect.left) + "," + to_string(rect.top) + " size " +
              to_string(rect.right - rect.left) + "x" + to_string(rect.bottom - rect.top));
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

bool editorHolds(HWND main, std::wstring_view text) {
    return waitFor([&] { return textOf(controlOf(main, "Text1")) == text; }, 5000);
}

// The program's process, opened before it may end, and its exit code once it has ended within
// `milliseconds` (else STILL_ACTIVE).
HANDLE processOf(HWND main) {
    DWORD id = 0;
    GetWindowThreadProcessId(main, &id);
    return OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
}
DWORD exitCodeWithin(HANDLE process, int milliseconds) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process, static_cast<DWORD>(milliseconds)) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &code);
    return code;
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

HWND focusOf(HWND main) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info);
    return info.hwndFocus;
}

// Brings the main window to the front with the focus in the control `name`, as a user's click would,
// then presses `key` with the `modifiers` held.
void pressIn(HWND main, std::string_view name, std::initializer_list<WORD> modifiers, WORD key) {
    const HWND control = controlOf(main, name);
    SetForegroundWindow(main);
    const DWORD thread = GetWindowThreadProcessId(main, nullptr);
    AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
    SetFocus(control);
    AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
    check(waitFor([&] { return focusOf(main) == control && GetForegroundWindow() == main; }, 5000),
          std::string(name) + " has the focus");
    for (const WORD down : modifiers) keyEvent(down, true);
    keyEvent(key, true);
    keyEvent(key, false);
    for (auto up = std::rbegin(modifiers); up != std::rend(modifiers); ++up) keyEvent(*up, false);
}

bool focusMovesTo(HWND main, std::string_view name) {
    return waitFor([&] { return focusOf(main) == controlOf(main, name); }, 5000);
}

// A message box with `title`: its text, OK only, no icon; then OK closes it.
void checkMessageBox(std::string_view title, std::string_view text) {
    const HWND box = findTopLevel(title, 10000);
    check(box != nullptr, "the message \"" + std::string(title) + "\" is shown");
    if (!box) return;
    // The message box's text is its static control 0xFFFF; an icon would be 0x14.
    check(textOf(GetDlgItem(box, 0xFFFF)) == toWide(text), "it reads: " + std::string(text));
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

// The file dialog `title`, which starts in the program's folder, answered with `path` in its name
// field (the combo box cmb13, Explorer style, or the edit edt1), or cancelled when `path` is empty.
// True once it has closed.
bool chooseInDialog(std::string_view title, const std::wstring& path) {
    const HWND dialog = findTopLevel(title, 10000);
    check(dialog != nullptr, "the dialog \"" + std::string(title) + "\" opens");
    if (!dialog) return false;
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring folder = textOf(GetDlgItem(dialog, cmb2));  // the "look in" box
    check(folder == std::filesystem::path(program).parent_path().filename().wstring(),
          "it starts in the program's folder (" + fromWide(folder) + ")");
    const HWND field = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
    if (!path.empty()) {
        check(field != nullptr, "it has a file name field");
        if (!field) return false;
        SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    }
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(path.empty() ? IDCANCEL : IDOK, BN_CLICKED), 0);
    return waitFor([&] { return !IsWindow(dialog); }, 10000);
}

// --- the scenarios ----------------------------------------------------------------------------------

void warning() {
    const HWND main = findTopLevel(expected::kMainCaption, 20000);
    check(findTopLevel(expected::kNoClientTitle, 20000) && main && !IsWindowVisible(main),
          "the main window is not shown yet while the warning is");
    checkMessageBox(expected::kNoClientTitle, expected::kNoClientText);
    check(waitFor([&] { return main && IsWindowVisible(main); }, 5000), "then the main window shows");
}

void window(HWND main) {
    const int dpi = static_cast<int>(GetDpiForWindow(main));
    check(focusOf(main) == controlOf(main, "Command1"), "Command1 has the focus at start");
    RECT client{};
    GetClientRect(main, &client);
    check(client.right == expected::scaled(expected::kMainWidth, dpi) &&
              client.bottom == expected::scaled(expected::kMainHeight, dpi),
          "client area " + to_string(client.right) + " x " + to_string(client.bottom));
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(main, GWL_STYLE));
    check((style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) == 0 && (style & WS_SYSMENU) &&
              (style & WS_CAPTION) == WS_CAPTION,
          "fixed border with system menu, no sizing, no minimise or maximise box");

    for (const expected::Control& control : expected::kMainControls) {
        const std::string name(control.name);
        const HWND handle = controlOf(main, control.name);  // a missing one fails its place
        if (name.starts_with("Frame") || name.starts_with("Command") || name == "Label1")
            check(textOf(handle) == toWide(control.caption),
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
    for (int value : {5, 0, 1, 2}) {
        setSlider(main, value);
        const std::wstring label = textOf(controlOf(main, "Label1"));
        check(label == L"Delay von Zeichen zu Zeichen (" +
                           (value ? L"0" + std::wstring(separator) + std::to_wstring(value) : L"0") + L"s)",
              "slider at " + to_string(value) + ": \"" + fromWide(label) + "\"");
    }
    menu(main, kMenuFeatures);
    checkMessageBox(expected::kFeaturesTitle, expected::kFeaturesText);
}

void aboutDialog(HWND main) {
    click(main, "Command4");
    click(main, "Command4");
    HWND dialog = findTopLevel(expected::kAboutCaption, 5000);
    check(dialog != nullptr, "\"About\" opens \"Info zu Quillpost\"");
    if (!dialog) return;
    SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 2000, nullptr);  // the second click is through
    check(!FindWindowExW(nullptr, dialog, nullptr, toWide(expected::kAboutCaption).c_str()),
          "two clicks leave one About dialog");

    const int dpi = static_cast<int>(GetDpiForWindow(dialog));
    HWND child = GetWindow(dialog, GW_CHILD);  // the children, created in tab order
    for (const expected::Control& control : expected::kAboutControls) {
        const std::string name(control.name);
        check(child != nullptr, name + " exists");
        if (!child) break;
        if (name != "picIcon")
            check(textOf(child) == toWide(control.caption),
                  name + " reads \"" + std::string(control.caption.substr(0, 40)) + "\"");
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
          "client area at " + to_string(origin.x) + "," + to_string(origin.y) + " size " +
              to_string(client.right) + "x" + to_string(client.bottom));

    // Esc presses the cancel button, Enter the default button; both are cmdOK. "&Info..." opens it too.
    PostMessageW(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
    check(waitFor([&] { return !IsWindow(dialog); }, 5000), "Esc closes the dialog");
    menu(main, kMenuInfo);
    dialog = findTopLevel(expected::kAboutCaption, 5000);
    // Found as soon as it exists, the dialog gets its OK button a moment later, before it shows.
    check(dialog != nullptr && waitFor([&] { return IsWindowVisible(dialog) != FALSE; }, 5000),
          "\"&Info...\" opens it again");
    if (!dialog) return;
    PostMessageW(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_RETURN, 0);
    check(waitFor([&] { return !IsWindow(dialog); }, 5000), "Enter closes the dialog");
    check(IsWindow(main) && IsWindowVisible(main), "the main window stays");
}

void files(HWND main) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring saved = std::wstring(temp) + L"quillpost-gespeichert.txt";
    const std::wstring rtf = std::wstring(temp) + L"quillpost-brief.rtf";
    std::printf("ANSI code page %u\n", GetACP());

    // Save: the editor's plain text, in the ANSI code page, lines with CR LF. Saving again under the
    // same name replaces the file without a question.
    std::ofstream(std::filesystem::path(saved), std::ios::binary) << "eine alte Datei, die ersetzt wird";
    const std::pair<const wchar_t*, const char*> saves[] = {
        {L"Zeile 1\r\nGr\u00fc\u00dfe \u20ac", "Zeile 1\r\nGr\xFC\xDF\x65 \x80"}, {L"Ersetzt", "Ersetzt"}};
    for (const auto& [text, bytes] : saves) {
        setText(main, text);
        menu(main, kMenuSpeichern);
        check(chooseInDialog(expected::kSaveTitle, saved), "the save dialog closes on the existing name");
        const std::string expected = GetACP() == 1252 ? std::string(bytes) : readBytes(saved);
        std::string written;
        const bool replaced = waitFor(
            [&] { return (written = readBytes(saved)) == expected || written == expected + "\r\n"; }, 5000);
        check(replaced, "the file holds the editor's text in code page 1252 with CR LF (" +
                            to_string(written.size()) + " bytes)");
    }

    // Open: a rich-text file comes in with its text.
    std::ofstream(std::filesystem::path(rtf), std::ios::binary)
        << "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}}\\f0 Fett: {\\b dick}\\par zweite Zeile "
           "\\'e4\\'f6\\'fc}";
    const std::wstring loaded = L"Fett: dick\rzweite Zeile \u00e4\u00f6\u00fc";
    const auto editorText = [&] {  // every line break as CR
        std::wstring text = textOf(controlOf(main, "Text1"));
        std::erase(text, L'\n');
        return text;
    };
    menu(main, kMenuOeffnen);
    check(chooseInDialog(expected::kOpenTitle, rtf), "a file chosen in the open dialog");
    check(waitFor([&] { return editorText() == loaded; }, 5000),
          "the editor shows the loaded text: " + fromWide(editorText()));
    DeleteFileW(saved.c_str());
    DeleteFileW(rtf.c_str());
}

// The keys without the menu, as a user presses them.
void keys(HWND main) {
    const HANDLE process = processOf(main);
    pressIn(main, "Command3", {VK_MENU}, 'T');
    checkMessageBox(expected::kNoClientTitle, expected::kNoClientText);  // Alt+T: no client
    setText(main, L"weg damit");
    pressIn(main, "Command1", {VK_MENU}, 'L');
    check(editorHolds(main, L""), "Alt+L clears the editor");

    // In the editor Tab is typed, Ctrl+Tab goes on to the slider, Ctrl+Shift+Tab back to Command4.
    pressIn(main, "Text1", {}, VK_TAB);
    check(editorHolds(main, L"\t") && focusMovesTo(main, "Text1"), "Tab in the editor types a tab and stays");
    pressIn(main, "Text1", {VK_CONTROL}, VK_TAB);
    check(focusMovesTo(main, "Slider1"), "Ctrl+Tab leaves to Slider1");
    pressIn(main, "Text1", {VK_SHIFT, VK_CONTROL}, VK_TAB);
    check(focusMovesTo(main, "Command4"), "Ctrl+Shift+Tab leaves back to Command4");

    for (const auto& [key, title] : {std::pair<char, std::string_view>{'O', expected::kOpenTitle},
                                     std::pair<char, std::string_view>{'S', expected::kSaveTitle}}) {
        setText(main, L"bleibt");
        pressIn(main, "Text1", {VK_CONTROL}, static_cast<WORD>(key));
        check(chooseInDialog(title, L""),
              std::string("Ctrl+") + key + " opens \"" + std::string(title) + "\"");
        check(editorHolds(main, L"bleibt"), "cancelled: the editor is untouched");
    }
    pressIn(main, "Text1", {VK_CONTROL}, 'N');
    check(editorHolds(main, L""), "Ctrl+N in the editor clears it");
    setText(main, L"bleibt");
    pressIn(main, "Text1", {VK_CONTROL}, 'X');
    check(exitCodeWithin(process, 10000) == 0, "Ctrl+X in the editor ends the program");
}

void altX(HWND main) {
    const HANDLE process = processOf(main);
    pressIn(main, "Slider1", {VK_MENU}, 'X');
    check(exitCodeWithin(process, 10000) == 0, "Alt+X ends the program");
}

void closeWithAbout(HWND main) {
    const HANDLE process = processOf(main);
    click(main, "Command4");
    const HWND dialog = findTopLevel(expected::kAboutCaption, 5000);
    check(dialog != nullptr, "About is open");
    PostMessageW(main, WM_CLOSE, 0, 0);
    check(waitFor([&] { return !IsWindow(main); }, 5000), "the close box closes the main window");
    check(exitCodeWithin(process, 500) == STILL_ACTIVE && dialog && IsWindow(dialog),
          "the program goes on while About is open");
    if (dialog) PostMessageW(dialog, WM_CLOSE, 0, 0);
    check(exitCodeWithin(process, 10000) != STILL_ACTIVE, "closing About too ends the program");
}

// The client waits minimised in the task bar, as its user left it (before Quillpost starts).
void minimiseClient() {
    const HWND client = findTopLevel(kClientTitle, 10000);
    if (client) ShowWindow(client, SW_MINIMIZE);
    check(client && waitFor([&] { return IsIconic(client) != FALSE; }, 5000), "the client is minimised");
}

void type(HWND main, const std::wstring& recordFile, const std::string& layoutName, bool fast) {
    const HWND client = findTopLevel(kClientTitle, 5000);
    check(client != nullptr, "the client's window exists");
    if (!client) return;
    check(!FindWindowW(nullptr, toWide(expected::kNoClientTitle).c_str()),
          "no warning with a client running");
    // The keyboard layout of the client's thread: German 0407 or US 0409.
    const auto layout =
        reinterpret_cast<ULONG_PTR>(GetKeyboardLayout(GetWindowThreadProcessId(client, nullptr)));
    check((layout & 0xFFFF) == (layoutName == "de" ? 0x0407u : 0x0409u),
          "the client's keyboard layout is " + layoutName);
    check(!FindWindowExW(main, nullptr, L"LISTBOX", nullptr), "the found clients are not shown in any list");

    const std::string expected =
        fast ? std::string(testing::kAcceptanceText) : "hallo Welt\nzeile zwei: Grüße, € \xF0\x9F\x93\x9C";
    setText(main, toWide(expected));  // each LF a paragraph of the editor
    if (!fast) check(IsIconic(client) != FALSE, "the client is still minimised");
    // fast: slider at 0, so the timer does not tick and the test gives the ticks itself;
    // timer: slider at 1, ticks every 100 ms from the real timer.
    setSlider(main, fast ? 0 : 1);
    const auto started = std::chrono::steady_clock::now();
    click(main, "Command1");
    if (fast) {  // at 0 the timer is off: nothing goes out by itself
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        check(readBytes(recordFile).empty(), "with the slider at 0 nothing is typed without a tick");
    }
    if (!fast) {
        // The user holds Shift down while the text goes out: lower-case letters must stay lower case.
        check(waitFor([&] { return GetForegroundWindow() == client; }, 5000),
              "the client comes to the front");
        keyEvent(VK_LSHIFT, true);
    }
    std::string received;
    const bool complete = waitFor(
        [&] {
            for (int i = 0; fast && i < 8; ++i)
                SendMessageTimeoutW(main, WM_TIMER, 1, 0, SMTO_NORMAL, 2000, nullptr);
            received = readBytes(recordFile);
            return received.size() >= expected.size();
        },
        fast ? 90000 : 30000);
    std::printf("%zu characters typed in %.2f s\n", core::codePointCount(expected),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    if (!fast) {
        check((GetAsyncKeyState(VK_LSHIFT) & 0x8000) != 0, "Shift is still held after the transfer");
        keyEvent(VK_LSHIFT, false);
        check(!IsIconic(client) && GetForegroundWindow() == client,
              "the minimised client was restored and is the foreground window");
    }
    const HWND front = GetForegroundWindow();  // named when the text did not arrive
    if (!complete) std::printf("in front: %s\n", front ? fromWide(textOf(front)).c_str() : "no window");
    check(complete, "every character arrived");
    check(received == expected, "the client got the text exactly (" + to_string(received.size()) + " bytes)" +
                                    (received == expected ? "" : ":\n" + received));
}

// "Text &löschen" (Alt+L) while a transfer runs: the editor empties and the transfer stops.
void clearWhileTyping(HWND main, const std::wstring& recordFile) {
    const HWND client = findTopLevel(kClientTitle, 5000);
    check(client != nullptr, "the client's window exists");
    const std::size_t before = readBytes(recordFile).size();
    setText(main, std::wstring(200, L'x'));
    setSlider(main, 5);  // half a second a character
    click(main, "Command1");
    check(waitFor([&] { return readBytes(recordFile).size() > before; }, 5000), "the transfer has begun");
    // Back in Quillpost the transfer waits; Alt+L clears the text.
    pressIn(main, "Command1", {VK_MENU}, 'L');
    check(editorHolds(main, L""), "Alt+L clears the editor");
    SetForegroundWindow(client);
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    // The tick found no text and stopped: a new text is not sent on.
    setText(main, std::wstring(200, L'y'));
    const std::size_t stopped = readBytes(recordFile).size();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const std::string after = readBytes(recordFile);
    check(after.size() == stopped && after.find('y') == std::string::npos,
          "nothing more is typed after Alt+L");
}

// Characters off the US layout whose UTF-16 low byte SDL reads as a key (Enter, Escape, Backspace, Tab,
// Ctrl, Shift, Alt, F1, F10, keypad 7 and 8, Up, Delete, F3 in the emoji's high surrogate, an unknown
// key), and U+4E00 (byte 0). Each must arrive as itself, with no key event.
constexpr std::string_view kScanCodeTable =
    "\u201C\u0101\u010E\u010F\u011D\u041D\u042A\u0436\u0438\u043B\u0444\u0447\u0448\u0148\u0153"
    "\U0001F4DC\u4E00\u00E0\u201D";

// Types into an SDL receiver: the scan finds it under `title`; when `newTitle` is given the receiver
// renames itself (through `retitleFile`) after the scan and before the transfer, as the client does when
// a character logs in. The ticks are given one at a time, each once the character before has arrived,
// so the order of arrival is checked as well as the text.
void typeIntoSdl(HWND main, const std::wstring& recordFile, const std::wstring& keyLog,
                 const std::string& title, const std::string& textKind, const std::wstring& retitleFile,
                 const std::string& newTitle) {
    const HWND client = findTopLevel(title, 5000);
    check(client != nullptr, "the SDL window \"" + title + "\" exists");
    if (!client) return;
    if (!newTitle.empty()) {
        std::ofstream(std::filesystem::path(retitleFile), std::ios::binary) << newTitle << "\n";
        check(findTopLevel(newTitle, 5000) == client, "the client renamed itself to \"" + newTitle + "\"");
    }
    const std::string expected = textKind == "acceptance" ? std::string(testing::kAcceptanceText)
                                 : textKind == "scan-codes"
                                     ? std::string(kScanCodeTable)
                                     : "Buch f\xC3\xBCr Greta: \xE2\x80\x9EZitat\xE2\x80\x9C\n\tEnde.";
    setText(main, toWide(expected));
    setSlider(main, 0);  // the test gives the ticks
    click(main, "Command1");
    check(waitFor([&] { return GetForegroundWindow() == client; }, 5000), "the client comes to the front");
    // One tick at a time, the next once the character has arrived (or after a second, when a tick found
    // the client not yet in front and sent nothing), as at the slider's pace.
    const auto started = std::chrono::steady_clock::now();
    const auto tick = [&] { SendMessageTimeoutW(main, WM_TIMER, 1, 0, SMTO_NORMAL, 2000, nullptr); };
    std::string received;
    for (int idle = 0; received.size() < expected.size() && idle < 20;) {
        const std::size_t before = received.size();
        tick();
        idle =
            waitFor([&] { return (received = readBytes(recordFile)).size() > before; }, 1000) ? 0 : idle + 1;
        if (idle == 0 && received.back() == '\n') tick();  // the editor's CR LF: the LF's tick sends nothing
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // nothing more may follow
    received = readBytes(recordFile);
    std::size_t same = 0;  // bytes of the text that arrived as sent, in order
    while (same < received.size() && same < expected.size() && received[same] == expected[same]) ++same;
    const std::string counts = to_string(core::codePointCount(expected.substr(0, same))) + "/" +
                               to_string(core::codePointCount(expected));
    std::printf("%s characters arrived in order in %.2f s\n", counts.c_str(),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    check(received == expected, "the SDL client got the text exactly (" + counts + ")" +
                                    (received == expected ? "" : ":\n" + received));
    if (textKind == "scan-codes") {
        const std::string keys = readBytes(keyLog);
        check(keys.find("down ") == std::string::npos, "no key event reached the SDL client:\n" + keys);
    }
}

// The version block of Quillpost.exe, read with the Windows version API, carries the version the About
// dialog shows, 2.0.1: 2.0.0.1 in the numbers, "2.00.0001" in the texts.
void version(const std::wstring& path) {
    DWORD ignored = 0;
    std::vector<unsigned char> block(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    check(!block.empty() &&
              GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()),
          "the program file has a version block");
    if (block.empty()) return;
    UINT length = 0;
    const auto value = [&](const std::wstring& name) -> const void* {
        void* found = nullptr;
        return VerQueryValueW(block.data(), name.c_str(), &found, &length) ? found : nullptr;
    };
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value(L"\\"));
    check(fixed && fixed->dwFileVersionMS == 0x20000 && fixed->dwFileVersionLS == 1 &&
              fixed->dwProductVersionMS == 0x20000 && fixed->dwProductVersionLS == 1,
          "numeric file and product version 2.0.0.1");
    const auto* translation = static_cast<const WORD*>(value(L"\\VarFileInfo\\Translation"));
    check(translation && length >= 4 && translation[0] == 0x0407 && translation[1] == 1200,
          "language German (0407), Unicode strings (1200)");
    const std::pair<const wchar_t*, std::string_view> table[] = {
        {L"FileVersion", "2.00.0001"},
        {L"ProductVersion", "2.00.0001"},
        {L"FileDescription", "UO Tool (3rd Party Software)"},
        {L"ProductName", "UO Quillpost"},
        {L"InternalName", "Quillpost"},
        {L"OriginalFilename", "Quillpost.exe"},
        {L"Comments",
         "Der Programmierer übernimmt keine Garantie dafür, das dieses Tool auf dem Shard des Benutzers laut "
         "Regelwerk verboten ist! ;)"},
        {L"CompanyName", "Quillpost-Team"},
        {L"LegalCopyright", "© 2026 Quillpost-Team"},
    };
    for (const auto& [name, expected] : table) {
        const auto* text =
            static_cast<const wchar_t*>(value(L"\\StringFileInfo\\040704B0\\" + std::wstring(name)));
        const std::string found = text ? fromWide(text) : std::string("(missing)");
        check(found == expected, fromWide(name) + " = \"" + found + "\"");
    }
}

}  // namespace

int main() {
    // Other programs' windows in their own pixels: unaware, we would get them at 96 DPI (Wine 10 too).
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    const auto argument = [&](int i) { return arguments && i < count ? std::wstring(arguments[i]) : L""; };
    const std::wstring command = argument(1);
    HWND main = nullptr;
    if (command == L"warning")
        warning();
    else if (command == L"minimise-client")
        minimiseClient();
    else if (command == L"version")
        version(argument(2));
    else if (!(main = findMain()))
        return 1;
    else if (command == L"window")
        window(main);
    else if (command == L"about")
        aboutDialog(main);
    else if (command == L"files")
        files(main);
    else if (command == L"keys")
        keys(main);
    else if (command == L"alt-x")
        altX(main);
    else if (command == L"close-with-about")
        closeWithAbout(main);
    else if (command == L"type")
        type(main, argument(2), fromWide(argument(3)), argument(4) == L"fast");
    else if (command == L"type-sdl")
        typeIntoSdl(main, argument(2), argument(3), fromWide(argument(4)), fromWide(argument(5)), argument(6),
                    fromWide(argument(7)));
    else if (command == L"clear-while-typing")
        clearWhileTyping(main, argument(2));
    else
        return 2;
    return failures == 0 ? 0 : 1;
}
