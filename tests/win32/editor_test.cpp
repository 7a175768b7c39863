// The RichEdit adapter of Text1 on a real control (needs a display).
#include <gtest/gtest.h>
#include <richedit.h>

#include <cstring>
#include <random>
#include <vector>

#include "core/unicode.h"
#include "document/document_io.h"
#include "platform/win32/win32_window_system.h"
#include "win32_controls.h"

using namespace quill;
using app::win32::RichEditText;
using app::win32::WindowTimer;

namespace {

class Editor : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(LoadLibraryW(L"Msftedit.dll"));
        host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                               nullptr);
        ASSERT_TRUE(host);
        edit = CreateWindowExW(0, MSFTEDIT_CLASS, L"", WS_CHILD | ES_MULTILINE | ES_WANTRETURN, 0, 0, 400,
                               300, host, nullptr, nullptr, nullptr);
        ASSERT_TRUE(edit);
        text.attach(edit, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    }
    void TearDown() override { DestroyWindow(host); }

    CHARFORMAT2W formatAt(LONG position) {
        CHARRANGE range{position, position + 1};
        SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2W cf{};
        cf.cbSize = sizeof cf;
        SendMessageW(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
        return cf;
    }

    HWND host = nullptr;
    HWND edit = nullptr;
    RichEditText text;
};

}  // namespace

TEST_F(Editor, TextPutInByAnotherProgramChangesTheRevisionAndComesBackWithCrLf) {
    const auto before = text.revision();
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"eins\r\nzwei\rdrei\nvier"));
    EXPECT_NE(text.revision(), before);
    EXPECT_EQ(text.plainText(), u"eins\r\nzwei\r\ndrei\r\nvier");

    const auto afterSet = text.revision();
    CHARRANGE end{-1, -1};
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"!"));
    EXPECT_NE(text.revision(), afterSet);
    EXPECT_EQ(text.plainText(), u"eins\r\nzwei\r\ndrei\r\nvier!");
}

TEST_F(Editor, ClearEmptiesAndCounts) {
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abc"));
    const auto before = text.revision();
    text.clear();
    EXPECT_EQ(text.plainText(), u"");
    EXPECT_NE(text.revision(), before);
}

TEST_F(Editor, LoadedDocumentKeepsItsFormattingAtTheRightCharacters) {
    document::Document doc;
    doc.format = document::Format::Rtf;
    doc.append(
        "\xF0\x9F\x93\x9C"
        "a\n");  // one character outside the BMP: two UTF-16 units
    document::TextFormat italicRed;
    italicRed.italic = true;
    italicRed.color = 0xFF0000;
    doc.append("b", italicRed);
    document::TextFormat bold;
    bold.bold = true;
    bold.pointSize = 14;
    doc.append("c\r\nd", bold);
    const auto before = text.revision();
    text.setDocument(doc);
    EXPECT_NE(text.revision(), before);
    EXPECT_EQ(text.plainText(),
              u"\xD83D\xDCDC"
              u"a\r\nbc\r\nd");

    // Positions count UTF-16 units and one CR per paragraph: a = 2, b = 4, c = 5, d = 7.
    EXPECT_FALSE(formatAt(2).dwEffects & CFE_ITALIC);
    const CHARFORMAT2W b = formatAt(4);
    EXPECT_TRUE(b.dwEffects & CFE_ITALIC);
    EXPECT_EQ(b.crTextColor, RGB(255, 0, 0));
    EXPECT_FALSE(b.dwEffects & CFE_BOLD);
    const CHARFORMAT2W d = formatAt(7);
    EXPECT_TRUE(d.dwEffects & CFE_BOLD);
    EXPECT_EQ(d.yHeight, 280);
}

TEST_F(Editor, PlainTextDocumentsAboveTheControlsDefaultLimitArriveWhole) {
    document::Document doc;
    std::string line(99, 'x');
    line += '\n';
    for (int i = 0; i < 1000; ++i) doc.append(line);  // 100,000 characters
    text.setDocument(doc);
    EXPECT_EQ(text.plainText().size(), 101000u);  // each LF became CR LF
}

TEST(Timer, IntervalZeroGivesNoTicksWhileEnabled) {
    const HWND owner =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(owner);
    WindowTimer timer;
    timer.attach(owner);
    const auto ticksWithin = [&](DWORD milliseconds) {
        int ticks = 0;
        const DWORD end = GetTickCount() + milliseconds;
        MSG message;
        while (GetTickCount() < end) {
            while (PeekMessageW(&message, owner, WM_TIMER, WM_TIMER, PM_REMOVE)) ++ticks;
            Sleep(5);
        }
        return ticks;
    };
    timer.setInterval(0);
    timer.setEnabled(true);
    EXPECT_TRUE(timer.enabled());
    EXPECT_EQ(ticksWithin(300), 0);
    timer.setInterval(20);
    EXPECT_GT(ticksWithin(1000), 0);
    timer.setEnabled(false);
    ticksWithin(50);
    EXPECT_EQ(ticksWithin(200), 0);
    DestroyWindow(owner);
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

// What the editor holds, saved in the system's code page or as UTF-8 and opened again, is the same
// text: control characters, a leading U+FEFF and another format's signature included. (A NUL cannot be
// held: a loaded one shows as U+FFFD.)
TEST_F(Editor, SavedTextOpensAgainTheSame) {
    const std::u16string pieces[] = {u"\r\n",       u"\x01",       u"\t",  u"\uFEFF",
                                     u"{\\rtf1 ",   u"PK\x03\x04", u"ä€",  u"\u00C3\u00A4",
                                     u"\U0001F600", u"Ж",          u"\x7F"};
    std::mt19937 random(13);
    for (int round = 0; round < 100; ++round) {
        std::u16string typed;
        for (int i = static_cast<int>(random() % 8); i > 0; --i)
            typed += pieces[random() % std::size(pieces)];
        document::Document loaded;
        loaded.append(unicode::utf16ToUtf8(typed));
        text.setDocument(loaded);
        const std::u16string held = text.plainText();
        for (const unsigned codePage : {1252u, 1251u}) {
            const std::string saved = document::encodeForSave(unicode::utf16ToUtf8(held), {codePage});
            const auto read = document::readDocument(
                {reinterpret_cast<const std::uint8_t*>(saved.data()), saved.size()}, "rund.txt", codePage);
            ASSERT_TRUE(std::holds_alternative<document::Document>(read));
            text.setDocument(std::get<document::Document>(read));
            EXPECT_EQ(text.plainText(), held) << round;
        }
    }
    document::Document withNul;
    withNul.append(std::string("a\0b", 3));
    text.setDocument(withNul);
    EXPECT_EQ(text.plainText(), u"a\uFFFDb");
}
