#include "app/main_window_logic.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/unicode.h"
#include "support/fake_controls.h"
#include "support/fake_desktop.h"

using namespace quill;
using namespace quill::testing;

namespace {

struct MainWindow : ::testing::Test {
    FakeDesktop desktop;
    FakeEditor text1;
    FakeLabel label1;
    FakeSlider slider1;
    FakeTimer timer1;
    FakeMessages messages;
    FakeFileDialog cd;
    FakeAbout about;
    FakeProgram program;
    app::FrmMainLogic form{desktop, {text1, label1, slider1, timer1, messages, cd, about, program}};
    platform::WindowHandle own = 0;

    void SetUp() override { own = desktop.addWindow("UO Quillpost v2"); }
    std::filesystem::path tempFile(const std::string& name) {
        auto dir = std::filesystem::temp_directory_path() /
                   ("quill-main-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        std::filesystem::create_directories(dir);
        return dir / name;
    }
};

}  // namespace

TEST_F(MainWindow, ClientClosedDuringATransferIsReported) {
    const auto client = desktop.addWindow("Ultima Online - Alice");
    form.Form_Load(own);
    text1.setUtf8("abc");
    form.Command1_Click();
    form.Timer1_Timer();
    desktop.closeWindow(client);
    form.Timer1_Timer();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("geschlossen"), std::string::npos);
}

// Saved and opened again, the text is the same: as UTF-8 on Linux (code page 0); on Windows in the
// system's ANSI code page where it fits, read back in that code page, not as Latin-1. Cancelled
// dialogs after that change neither the file nor the editor.
TEST_F(MainWindow, SavedTextOpensAgainUnchanged) {
    const std::pair<unsigned, const char*> cases[] = {{0, "Grüße\r\nzweite Zeile"},
                                                      {1251, "Съешь же ещё\r\nэтих булок"},
                                                      {1253, "Καλημέρα κόσμε"},
                                                      {1250, "Zażółć gęślą jaźń"}};
    for (const auto& [codePage, text] : cases) {
        app::FrmMainLogic windows{desktop,
                                  {text1, label1, slider1, timer1, messages, cd, about, program},
                                  document::SaveEncoding{codePage}};
        const auto file = tempFile("cp" + std::to_string(codePage) + ".txt");
        cd.answer = file;
        text1.setUtf8(text);
        windows.mnu_datei_speichern_Click();
        const auto size = std::filesystem::file_size(file);
        if (codePage != 0) {  // one byte a character; UTF-8 has no fixed number
            EXPECT_EQ(size, core::utf8ToUtf32(text).size()) << codePage;
        }
        text1.clear();
        windows.mnu_datei_oeffnen_Click();
        EXPECT_EQ(core::utf16ToUtf8(text1.plainText()), text) << codePage;
        cd.answer.reset();
        text1.setUtf8("anders");
        windows.mnu_datei_speichern_Click();
        windows.mnu_datei_oeffnen_Click();
        EXPECT_EQ(std::filesystem::file_size(file), size);
        EXPECT_EQ(text1.plainText(), u"anders");
    }
    EXPECT_TRUE(messages.shown.empty());
}

// A missing file, or a text the editor cannot show without hanging (refused before it is touched,
// opened or pasted), keeps the editor as it is and says why.
TEST_F(MainWindow, FailedOpenOrPasteKeepsTheEditorAndSaysWhy) {
    text1.setUtf8("mein Text");
    cd.answer = tempFile("fehlt.rtf");
    form.mnu_datei_oeffnen_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("fehlt.rtf"), std::string::npos);
    cd.answer = tempFile("chat.log");
    { std::ofstream(*cd.answer, std::ios::binary) << std::string(50'000, '\n'); }
    form.mnu_datei_oeffnen_Click();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text.substr(0, 38), "Die Datei \"chat.log\" hat 50.001 Zeilen");
    EXPECT_EQ(messages.shown[1].title, "Datei öffnen...");
    EXPECT_FALSE(form.Text1_Paste(std::u16string(50'000, u'\n')));
    EXPECT_EQ(messages.shown.size(), 3u);
    EXPECT_TRUE(form.Text1_Paste(std::u16string(49'999, u'\n')));
    EXPECT_EQ(text1.plainText(), u"mein Text");
}
