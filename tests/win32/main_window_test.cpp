// The Windows program's windows built in this process (needs a display), for what another process
// cannot read under Wine: the fonts, the menu, the painted drawing and the About dialog's colours.
// Places, captions and keys of the real program are the driver's part.
#include <windows.h>
// Headers that need windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include "about_window.h"
#include "main_window.h"
#include "platform/win32/wide_text.h"
#include "resource_ids.h"
#include "support/expected_ui.h"
#include "support/fake_desktop.h"

using namespace quill;
using platform::win32::toWide;

namespace {

// One window for all the tests: under Wine without a window manager, closing a shown window waits
// for the X server a while.
class MainWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(LoadLibraryW(L"Msftedit.dll"));
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        // A client is running, so Form_Load shows no warning.
        desktop = new quill::testing::FakeDesktop;
        desktop->addWindow("Ultima Online - Test");
        window = new app::win32::MainWindow(
            GetModuleHandleW(nullptr), *desktop, [] {}, [] {});
        ASSERT_TRUE(window->create(SW_SHOWNOACTIVATE));
        UpdateWindow(window->handle());
    }
    static void TearDownTestSuite() {
        delete window;
        delete desktop;
    }

    // The controls are numbered in tab order, as the table lists them.
    static HWND control(std::size_t index) {
        return GetDlgItem(window->handle(), QUILL_FIRST_CONTROL_ID + static_cast<int>(index));
    }

    static int dpi() {
        const HDC dc = GetDC(window->handle());
        const int value = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(window->handle(), dc);
        return value;
    }

    static inline quill::testing::FakeDesktop* desktop = nullptr;
    static inline app::win32::MainWindow* window = nullptr;
};

std::wstring menuText(HMENU menu, UINT position) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

}  // namespace

TEST_F(MainWindowTest, EveryControlUsesTheWindowsFont) {
    const int height = -MulDiv(expected::kFontPoints, dpi(), 72);
    for (std::size_t i = 0; i < expected::kMainControls.size(); ++i) {
        const std::string_view name = expected::kMainControls[i].name;
        if (name == "Slider1") continue;  // a trackbar shows no text and keeps no font
        if (name == "Text1") {
            // The editor keeps the font as its default character format.
            CHARFORMAT2W format{};
            format.cbSize = sizeof format;
            SendMessageW(control(i), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
            EXPECT_EQ(std::wstring(format.szFaceName), toWide(expected::kFont));
            EXPECT_TRUE(format.dwEffects & CFE_BOLD);
            EXPECT_EQ(format.yHeight, expected::kFontPoints * 20);
            EXPECT_FALSE(format.dwEffects & (CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT));
            continue;
        }
        const auto font = reinterpret_cast<HFONT>(SendMessageW(control(i), WM_GETFONT, 0, 0));
        LOGFONTW info{};
        ASSERT_TRUE(font && GetObjectW(font, sizeof info, &info)) << name;
        EXPECT_EQ(std::wstring(info.lfFaceName), toWide(expected::kFont)) << name;
        EXPECT_EQ(info.lfWeight, expected::kFontWeight) << name;
        EXPECT_EQ(info.lfCharSet, ANSI_CHARSET) << name;
        EXPECT_EQ(info.lfHeight, height) << name;
        EXPECT_FALSE(info.lfItalic || info.lfUnderline || info.lfStrikeOut) << name;
    }
}

TEST_F(MainWindowTest, MenuTreeWithShortcutsAndNothingCheckedOrGreyed) {
    const HMENU bar = GetMenu(window->handle());
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
}

TEST_F(MainWindowTest, GreyBackgroundAndTheDrawingInTableOrder) {
    const HWND main = window->handle();
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const HDC dc = GetDC(main);
    for (const expected::Probe& probe : expected::kDrawing)
        EXPECT_EQ(GetPixel(dc, expected::scaled(probe.x, dpi()), expected::scaled(probe.y, dpi())),
                  RGB(probe.colour.red, probe.colour.green, probe.colour.blue))
            << probe.what;
    ReleaseDC(main, dc);
}

// The About dialog's texts are black whatever text colour the theme sets.
TEST_F(MainWindowTest, AboutTextsAreBlackInAnyTheme) {
    const int elements[] = {COLOR_WINDOWTEXT, COLOR_BTNTEXT};
    const COLORREF theme[] = {GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNTEXT)};
    const COLORREF red[] = {RGB(255, 0, 0), RGB(255, 0, 0)};
    ASSERT_TRUE(SetSysColors(2, elements, red));
    app::win32::AboutWindow about(GetModuleHandleW(nullptr), [] {});
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
