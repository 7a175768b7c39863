// FrmMain built in this process (needs a display): what another process cannot read under Wine,
// the fonts, the menu and the painted drawing, and a shortcut with the editor focused.
#include <windows.h>
// Headers that need windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include "app/layout.h"
#include "main_window.h"
#include "resource_ids.h"
#include "support/fake_desktop.h"

using namespace quill;
namespace layout = app::layout;

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
            GetModuleHandleW(nullptr), *desktop, [] { ++aboutShown; }, [] {});
        ASSERT_TRUE(window->create(SW_SHOWNOACTIVATE));
        UpdateWindow(window->handle());
    }
    static void TearDownTestSuite() {
        delete window;
        delete desktop;
    }

    static HWND control(layout::ControlId id) {
        const auto table = layout::mainControls();
        for (std::size_t i = 0; i < table.size(); ++i)
            if (table[i].id == id)
                return GetDlgItem(window->handle(), QUILL_FIRST_CONTROL_ID + static_cast<int>(i));
        return nullptr;
    }

    static UINT dpi() {
        const HDC dc = GetDC(window->handle());
        const int value = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(window->handle(), dc);
        return static_cast<UINT>(value);
    }
    static int px(int twips) { return layout::twipsToPixels(twips, static_cast<int>(dpi())); }

    static inline quill::testing::FakeDesktop* desktop = nullptr;
    static inline app::win32::MainWindow* window = nullptr;
    static inline int aboutShown = 0;
};

std::wstring menuText(HMENU menu, UINT position) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

}  // namespace

TEST_F(MainWindowTest, EveryControlUsesCourierNewNinePointBoldWestern) {
    for (const layout::Control& entry : layout::mainControls()) {
        // A trackbar shows no text and keeps no font.
        if (entry.kind == layout::ControlKind::Slider) continue;
        if (entry.kind == layout::ControlKind::RichEdit) {
            // The editor keeps the font as its default character format.
            CHARFORMAT2W format{};
            format.cbSize = sizeof format;
            SendMessageW(control(entry.id), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
            EXPECT_STREQ(format.szFaceName, L"Courier New");
            EXPECT_TRUE(format.dwEffects & CFE_BOLD);
            EXPECT_EQ(format.yHeight, 9 * 20);
            EXPECT_FALSE(format.dwEffects & (CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT));
            continue;
        }
        const auto font = reinterpret_cast<HFONT>(SendMessageW(control(entry.id), WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr) << entry.name;
        LOGFONTW info{};
        ASSERT_TRUE(GetObjectW(font, sizeof info, &info)) << entry.name;
        EXPECT_STREQ(info.lfFaceName, L"Courier New") << entry.name;
        EXPECT_EQ(info.lfWeight, 700) << entry.name;
        EXPECT_EQ(info.lfCharSet, ANSI_CHARSET) << entry.name;
        EXPECT_EQ(info.lfHeight, -MulDiv(9, static_cast<int>(dpi()), 72)) << entry.name;
        EXPECT_FALSE(info.lfItalic || info.lfUnderline || info.lfStrikeOut) << entry.name;
    }
}

TEST_F(MainWindowTest, MenuBarFollowsTheTableWithShortcutsAndNothingCheckedOrGreyed) {
    const HMENU bar = GetMenu(window->handle());
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    EXPECT_EQ(menuText(bar, 0), L"&Datei");
    EXPECT_EQ(menuText(bar, 1), L"&Features v2...");
    EXPECT_EQ(menuText(bar, 2), L"&Info...");
    const HMENU datei = GetSubMenu(bar, 0);
    ASSERT_NE(datei, nullptr);
    const wchar_t* expected[] = {L"&Neu\tCtrl+N",       nullptr, L"Oe&ffnen\tCtrl+O",
                                 L"&Speichern\tCtrl+S", nullptr, L"&Beenden\tCtrl+X"};
    ASSERT_EQ(GetMenuItemCount(datei), 6);
    for (UINT i = 0; i < 6; ++i) {
        const UINT state = GetMenuState(datei, i, MF_BYPOSITION);
        if (!expected[i]) {
            EXPECT_TRUE(state & MF_SEPARATOR) << i;
            continue;
        }
        EXPECT_EQ(menuText(datei, i), expected[i]);
        EXPECT_FALSE(state & (MF_CHECKED | MF_GRAYED | MF_DISABLED)) << i;
    }
}

TEST_F(MainWindowTest, GreyBackgroundAndTheDrawingInTableOrder) {
    const HWND main = window->handle();
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const HDC dc = GetDC(main);
    const auto pixel = [&](int x, int y) { return GetPixel(dc, x, y); };
    // Empty space in the right-hand column.
    EXPECT_EQ(pixel(px(8000), px(2000)), RGB(192, 192, 192));
    // The dark green square over the red circle, their shared centre.
    EXPECT_EQ(pixel(px(7920 + 127), px(4200 + 127)), RGB(0, 128, 0));
    // The circle left of the square and of every stroke.
    EXPECT_EQ(pixel(px(7720), px(4320)), RGB(192, 0, 0));
    // A grey stroke painted last cuts through the square.
    EXPECT_EQ(pixel(px(7920 + 127), px(4200)), RGB(192, 192, 192));
    ReleaseDC(main, dc);
}

TEST_F(MainWindowTest, CtrlNInTheEditorClearsItWithoutAsking) {
    const HWND editor = control(layout::ControlId::Text1);
    SendMessageW(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Text"));
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    BYTE withControl[256];
    std::copy(std::begin(keys), std::end(keys), std::begin(withControl));
    withControl[VK_CONTROL] = withControl[VK_LCONTROL] = 0x80;
    SetKeyboardState(withControl);
    MSG message{editor, WM_KEYDOWN, 'N', 1, 0, {}};
    const bool used = window->preTranslate(message);
    SetKeyboardState(keys);
    EXPECT_TRUE(used);
    EXPECT_EQ(GetWindowTextLengthW(editor), 0);
}

TEST_F(MainWindowTest, AboutButtonAndMenuBothOpenTheDialog) {
    aboutShown = 0;
    const HWND about = control(layout::ControlId::Command4);
    SendMessageW(window->handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(about), BN_CLICKED),
                 reinterpret_cast<LPARAM>(about));
    const auto items = layout::mainMenu();
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].name == "mnu_info")
            SendMessageW(window->handle(), WM_COMMAND,
                         MAKEWPARAM(QUILL_FIRST_MENU_ID + static_cast<int>(i), 0), 0);
    EXPECT_EQ(aboutShown, 2);
    aboutShown = 0;
}
