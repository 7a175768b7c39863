// The Windows program's windows and controls built in this process (needs a display), for what
// another process cannot read under Wine: the fonts, the menu, the painted drawing, the About dialog's
// colours, and the editor's adapter, timer and window search on real controls. Places, captions and
// keys of the real program are the driver's part.
#include <windows.h>
// Headers that need windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <cstring>
#include <vector>

#include "app/win32/about_dialog.h"
#include "app/win32/controls.h"
#include "app/win32/main_window.h"
#include "document/document.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_window_system.h"
#include "resource_ids.h"
#include "support/expected_ui.h"
#include "support/fake_desktop.h"

using namespace quill;
using platform::win32::toWide;

namespace {

std::wstring menuText(HMENU menu, UINT position) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

// Text1's adapter on a RichEdit control of its own.
class Editor : public ::testing::Test {
  protected:
    void SetUp() override {
        host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                               nullptr);
        edit = CreateWindowExW(0, MSFTEDIT_CLASS, L"", WS_CHILD | ES_MULTILINE | ES_WANTRETURN, 0, 0, 400,
                               300, host, nullptr, nullptr, nullptr);
        ASSERT_TRUE(host && edit);
        text.attach(edit, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    }
    void TearDown() override { DestroyWindow(host); }

    CHARFORMAT2W formatAt(LONG position) {
        CHARRANGE range{position, position + 1};
        SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2W format{};
        format.cbSize = sizeof format;
        SendMessageW(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format;
    }
    // True when the revision moved since the last call.
    bool changed() {
        const auto before = revision;
        revision = text.revision();
        return revision != before;
    }

    HWND host = nullptr;
    HWND edit = nullptr;
    app::win32::RichTextEditor text;
    std::uint64_t revision = 0;
};

const bool richEditLoaded = LoadLibraryW(L"Msftedit.dll") != nullptr;

}  // namespace

// One window checked for all: under Wine without a window manager, closing a shown window waits for
// the X server a while.
TEST(MainWindow, EveryControlUsesTheWindowsFontTheMenuTreeAndTheDrawing) {
    ASSERT_TRUE(richEditLoaded);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    quill::testing::FakeDesktop desktop;
    desktop.addWindow("Ultima Online - Test");  // a client is running, so Form_Load shows no warning
    app::win32::FrmMain window(
        GetModuleHandleW(nullptr), desktop, [] {}, [] {});
    ASSERT_TRUE(window.create(SW_SHOWNOACTIVATE));
    ASSERT_EQ(window.logic().List1().size(), 1u);  // the client is recorded, not shown
    EXPECT_EQ(window.logic().List1()[0].title, "Ultima Online - Test");
    const HWND main = window.handle();
    UpdateWindow(main);
    const HDC dc = GetDC(main);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);

    for (std::size_t i = 0; i < expected::kMainControls.size(); ++i) {
        const std::string_view name = expected::kMainControls[i].name;
        // The controls are numbered in tab order, as the table lists them.
        const HWND control = GetDlgItem(main, QUILL_FIRST_CONTROL_ID + static_cast<int>(i));
        if (name == "Slider1") continue;  // a trackbar shows no text and keeps no font
        if (name == "Text1") {
            // The editor keeps the font as its default character format.
            CHARFORMAT2W format{};
            format.cbSize = sizeof format;
            SendMessageW(control, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
            EXPECT_EQ(std::wstring(format.szFaceName), toWide(expected::kFont));
            EXPECT_EQ(format.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT), CFE_BOLD);
            EXPECT_EQ(format.yHeight, expected::kFontPoints * 20);
            continue;
        }
        const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        LOGFONTW info{};
        ASSERT_TRUE(font && GetObjectW(font, sizeof info, &info)) << name;
        EXPECT_EQ(std::wstring(info.lfFaceName), toWide(expected::kFont)) << name;
        EXPECT_EQ(info.lfWeight, expected::kFontWeight) << name;
        EXPECT_EQ(info.lfCharSet, ANSI_CHARSET) << name;
        EXPECT_EQ(info.lfHeight, -MulDiv(expected::kFontPoints, dpi, 72)) << name;
        EXPECT_FALSE(info.lfItalic || info.lfUnderline || info.lfStrikeOut) << name;
    }

    // The menu tree with its shortcuts, nothing checked or greyed.
    const HMENU bar = GetMenu(main);
    ASSERT_EQ(GetMenuItemCount(bar), static_cast<int>(expected::kMenuBar.size()));
    for (UINT i = 0; i < expected::kMenuBar.size(); ++i)
        EXPECT_EQ(menuText(bar, i), toWide(expected::kMenuBar[i]));
    EXPECT_TRUE(GetSubMenu(bar, 1) == nullptr && GetSubMenu(bar, 2) == nullptr);
    const HMENU datei = GetSubMenu(bar, 0);
    ASSERT_EQ(GetMenuItemCount(datei), static_cast<int>(expected::kDateiMenu.size()));
    for (UINT i = 0; i < expected::kDateiMenu.size(); ++i) {
        const expected::MenuLine& line = expected::kDateiMenu[i];
        const UINT state = GetMenuState(datei, i, MF_BYPOSITION);
        if (line.caption == "-") {
            EXPECT_TRUE(state & MF_SEPARATOR) << i;
            continue;
        }
        EXPECT_EQ(menuText(datei, i), toWide(line.caption) + L"\t" + toWide(line.shortcut));
        EXPECT_FALSE(state & (MF_CHECKED | MF_GRAYED | MF_DISABLED)) << i;
    }

    // The grey background and the drawing, painted in the table's order.
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    for (const expected::Probe& probe : expected::kDrawing)
        EXPECT_EQ(GetPixel(dc, expected::scaled(probe.x, dpi), expected::scaled(probe.y, dpi)),
                  RGB(probe.colour.red, probe.colour.green, probe.colour.blue))
            << probe.what;
    ReleaseDC(main, dc);
}

// The About dialog's texts are black whatever text colour the theme sets.
TEST(AboutWindow, TextsAreBlackInAnyTheme) {
    const int elements[] = {COLOR_WINDOWTEXT, COLOR_BTNTEXT};
    const COLORREF theme[] = {GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNTEXT)};
    const COLORREF red[] = {RGB(255, 0, 0), RGB(255, 0, 0)};
    ASSERT_TRUE(SetSysColors(2, elements, red));
    app::win32::FrmAbout about(GetModuleHandleW(nullptr), [] {});
    about.show();
    ASSERT_TRUE(about.isOpen());
    int labels = 0;
    for (HWND child = GetWindow(about.handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        if (_wcsicmp(className, L"Static") != 0) continue;
        const HDC dc = GetDC(child);
        SendMessageW(about.handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(child));
        EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
        ReleaseDC(child, dc);
        ++labels;
    }
    SetSysColors(2, elements, theme);
    EXPECT_EQ(labels, 6);  // the icon and five texts
    DestroyWindow(about.handle());
}

// Text put in by another program, typed or cleared counts as a change; lines come back with CR LF.
TEST_F(Editor, EveryChangeCountsAndLinesComeBackWithCrLf) {
    changed();
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"eins\r\nzwei\rdrei\nvier"));
    EXPECT_TRUE(changed());
    EXPECT_EQ(text.plainText(), u"eins\r\nzwei\r\ndrei\r\nvier");
    CHARRANGE end{-1, -1};
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"!"));
    EXPECT_TRUE(changed());
    EXPECT_EQ(text.plainText(), u"eins\r\nzwei\r\ndrei\r\nvier!");
    text.clear();
    EXPECT_TRUE(changed());
    EXPECT_EQ(text.plainText(), u"");
}

TEST_F(Editor, LoadedDocumentKeepsItsFormattingAtTheRightCharactersItsLengthAndNoNul) {
    document::Document doc;
    doc.format = document::Format::Rtf;
    doc.append(
        "\xF0\x9F\x93\x9C"
        "a\n");  // one character outside the BMP: two UTF-16 units
    document::TextFormat italicRed, bold;
    italicRed.italic = true;
    italicRed.color = 0xFF0000;
    doc.append("b", italicRed);
    bold.bold = true;
    bold.pointSize = 14;
    doc.append("c\r\nd", bold);
    changed();
    text.setDocument(doc);
    EXPECT_TRUE(changed());
    EXPECT_EQ(text.plainText(),
              u"\xD83D\xDCDC"
              u"a\r\nbc\r\nd");
    // Positions count UTF-16 units and one CR per paragraph: a = 2, b = 4, d = 7.
    for (const auto& [at, effects] : {std::pair<LONG, DWORD>{2, 0}, {4, CFE_ITALIC}, {7, CFE_BOLD}})
        EXPECT_EQ(formatAt(at).dwEffects & (CFE_ITALIC | CFE_BOLD), effects) << at;
    EXPECT_EQ(formatAt(4).crTextColor, RGB(255, 0, 0));
    EXPECT_EQ(formatAt(7).yHeight, 280);

    // Beyond the control's default limit: 100,000 characters arrive whole, each LF as CR LF.
    document::Document large;
    for (int i = 0; i < 1000; ++i) large.append(std::string(99, 'x') + "\n");
    text.setDocument(large);
    EXPECT_EQ(text.plainText().size(), 101000u);
    // A NUL cannot be held (the control would end the text there): a loaded one shows as U+FFFD.
    document::Document withNul;
    withNul.append(std::string("a\0b", 3));
    text.setDocument(withNul);
    EXPECT_EQ(text.plainText(), u"a\uFFFDb");
}

// Pasting is offered to the check first; refused, nothing goes in.
TEST_F(Editor, PasteIsOfferedToTheCheckFirst) {
    std::vector<std::u16string> offered;
    bool allow = false;
    text.setPasteCheck([&](const std::u16string& pasted) {
        offered.push_back(pasted);
        return allow;
    });
    const wchar_t clip[] = L"eins\r\nzwei";
    ASSERT_TRUE(OpenClipboard(host));
    EmptyClipboard();
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof clip);
    std::memcpy(GlobalLock(memory), clip, sizeof clip);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    SendMessageW(edit, WM_PASTE, 0, 0);
    EXPECT_EQ(text.plainText(), u"");
    allow = true;
    SendMessageW(edit, WM_PASTE, 0, 0);
    EXPECT_EQ(text.plainText(), u"eins\r\nzwei");
    EXPECT_EQ(offered, (std::vector<std::u16string>{u"eins\r\nzwei", u"eins\r\nzwei"}));
}

TEST(WindowSystem, TitlesAreMatchedExactlyNotIgnoringCase) {
    const auto windows = platform::win32::Win32WindowSystem::create();
    const HWND shouting = CreateWindowExW(0, L"STATIC", L"ULTIMA ONLINE - GR\u00dc\u00dfE", WS_POPUP, 0, 0,
                                          10, 10, nullptr, nullptr, nullptr, nullptr);
    const HWND client = CreateWindowExW(0, L"STATIC", L"Ultima Online - Gr\u00fc\u00dfe", WS_POPUP, 0, 0, 10,
                                        10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(shouting && client);
    // The one that differs only in case lies above the client: FindWindowW would take it.
    SetWindowPos(shouting, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(windows->findWindowByTitle("Ultima Online - Grüße"), HandleToULong(client));
    EXPECT_EQ(windows->windowTitle(HandleToULong(client)), "Ultima Online - Grüße");
    EXPECT_EQ(windows->findWindowByTitle("Ultima Online - Grüsse"), platform::kNoWindow);
    DestroyWindow(client);
    EXPECT_EQ(windows->findWindowByTitle("Ultima Online - Grüße"), platform::kNoWindow);
    EXPECT_FALSE(windows->isWindow(HandleToULong(client)));
    DestroyWindow(shouting);
}
