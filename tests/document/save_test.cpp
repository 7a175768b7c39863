// Saving: encoding choice, CR LF line breaks, and the atomic replace that never loses the old file.
#include <gtest/gtest.h>

#include "document_test_util.h"

#if defined(__linux__)
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace quill::document::testing {
namespace {

constexpr SaveEncoding kLinux{0};
constexpr SaveEncoding kWestern{1252};

TEST(SaveEncoding, TwoLinesGetCrLfInTheChosenEncoding) {
    EXPECT_EQ(encodeForSave("Grüße\nzweite Zeile", kLinux),
              "Gr\xC3\xBC\xC3\x9F"
              "e\r\nzweite Zeile");
    EXPECT_EQ(encodeForSave("Grüße 5 €\nzweite „Zeile“", kWestern),
              "Gr\xFC\xDF"
              "e 5 \x80\r\nzweite \x84Zeile\x93");
    // Every kind of line break becomes CR LF, and none is added at the end.
    EXPECT_EQ(encodeForSave("a\r\nb\rc\nd\u2029e\n", kWestern), "a\r\nb\r\nc\r\nd\r\ne\r\n");
    EXPECT_EQ(encodeForSave("", kWestern), "");
}

TEST(SaveEncoding, TextThatDoesNotFitTheCodePageIsSavedAsUtf8WithMark) {
    EXPECT_EQ(encodeForSave("Grüße Ελλάδα\nx", kWestern),
              "\xEF\xBB\xBFGr\xC3\xBC\xC3\x9F"
              "e \xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1\r\nx");
    EXPECT_EQ(encodeForSave("中文", kWestern), "\xEF\xBB\xBF\xE4\xB8\xAD\xE6\x96\x87");
    EXPECT_EQ(encodeForSave("𝄞", kWestern), "\xEF\xBB\xBF\xF0\x9D\x84\x9E");
    // The same text fits the code page made for it.
    EXPECT_EQ(encodeForSave("Ελλάδα", SaveEncoding{1253}), "\xC5\xEB\xEB\xDC\xE4\xE1");
    EXPECT_EQ(encodeForSave("Zażółć", SaveEncoding{1250}), "Za\xBF\xF3\xB3\xE6");
    EXPECT_EQ(encodeForSave("Привет", SaveEncoding{1251}), "\xCF\xF0\xE8\xE2\xE5\xF2");
    // Code pages other than 1250-1258 (multi-byte ones among them) are never guessed at.
    EXPECT_EQ(encodeForSave("abc", SaveEncoding{932}),
              "\xEF\xBB\xBF"
              "abc");
}

std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SaveFile, WritesAndReplacesAndLeavesNothingBehind) {
    TempFolder folder;
    const auto target = folder / "buch.txt";
    ASSERT_FALSE(savePlainTextFile(target, "erste\nzweite", kWestern));
    EXPECT_EQ(readText(target), "erste\r\nzweite");
    ASSERT_FALSE(savePlainTextFile(target, "neu", kLinux));
    EXPECT_EQ(readText(target), "neu");
    EXPECT_EQ(filesIn(folder.path()), std::vector<std::filesystem::path>{"buch.txt"});
    // Saving under an .rtf name still writes plain text.
    ASSERT_FALSE(savePlainTextFile(folder / "text.rtf", "{kein rtf}", kLinux));
    EXPECT_EQ(readText(folder / "text.rtf"), "{kein rtf}");
}

TEST(SaveFile, FailedSavesLeaveTheOldFileByteForByte) {
    TempFolder folder;
    // A folder of that name.
    std::filesystem::create_directory(folder / "ordner.txt");
    auto failure = savePlainTextFile(folder / "ordner.txt", "x", kLinux);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message,
              "Die Datei \"ordner.txt\" konnte nicht gespeichert werden: Unter diesem Namen gibt es bereits "
              "einen Ordner.");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "ordner.txt"));

    // A folder that does not exist.
    failure = savePlainTextFile(folder / "fehlt" / "buch.txt", "x", kLinux);
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->message.find("konnte nicht gespeichert werden: Der Ordner"), std::string::npos);
    EXPECT_NE(failure->message.find("existiert nicht"), std::string::npos);

    // A write-protected file (refused by the program itself, so also for an administrator).
    const auto locked = folder / std::filesystem::path(u8"geschützt.txt");
    { std::ofstream(locked, std::ios::binary) << "alt\r\n\xFF"; }
    std::filesystem::permissions(locked,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    failure = savePlainTextFile(locked, "neu", kLinux);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message,
              "Die Datei \"geschützt.txt\" konnte nicht gespeichert werden: Die Datei ist schreibgeschützt. "
              "Die bisherige Datei ist unverändert.");
    EXPECT_EQ(readText(locked), "alt\r\n\xFF");
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
    EXPECT_EQ(filesIn(folder.path()),
              (std::vector<std::filesystem::path>{std::filesystem::path(u8"geschützt.txt"), "ordner.txt"}));
}

#if defined(__linux__)
// A full disk, made with a file-size limit in a child process: writing the temporary file fails.
TEST(SaveFile, FullDiskKeepsTheOldFileAndRemovesTheTemporaryOne) {
    TempFolder folder;
    const auto target = folder / "voll.txt";
    const std::string old = "alter Inhalt\r\nzweite Zeile";
    { std::ofstream(target, std::ios::binary) << old; }
    const std::string large(1 << 20, 'x');
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        const auto failure = savePlainTextFile(target, large, kLinux);
        const bool ok =
            failure && failure->message ==
                           "Die Datei \"voll.txt\" konnte nicht gespeichert werden: Beim Schreiben ist ein "
                           "Fehler aufgetreten (ist der Datenträger voll?). Die bisherige Datei ist "
                           "unverändert.";
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failure was not reported as expected";
    EXPECT_EQ(readText(target), old);
    EXPECT_EQ(filesIn(folder.path()), std::vector<std::filesystem::path>{"voll.txt"});
}

TEST(SaveFile, ALinkIsFollowedAndKept) {
    TempFolder folder;
    { std::ofstream(folder / "ziel.txt", std::ios::binary) << "alt"; }
    std::filesystem::create_symlink("ziel.txt", folder / "verweis.txt");
    ASSERT_FALSE(savePlainTextFile(folder / "verweis.txt", "neu", kLinux));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "verweis.txt"));
    EXPECT_EQ(readText(folder / "ziel.txt"), "neu");
}
#endif

TEST(SaveFile, SavedTextReadsBackUnchanged) {
    TempFolder folder;
    const std::string text = "Grüße „Zitat“ €\n\nΕλλάδα 中文 𝄞\tEnde\n";
    for (const SaveEncoding encoding : {kLinux, kWestern, SaveEncoding{1251}}) {
        ASSERT_FALSE(savePlainTextFile(folder / "rund.txt", text, encoding));
        const auto read = readDocumentFile(folder / "rund.txt");
        ASSERT_TRUE(std::holds_alternative<Document>(read));
        EXPECT_EQ(std::get<Document>(read).plainText(), text);
    }
    ASSERT_FALSE(savePlainTextFile(folder / "west.txt", "Grüße „Zitat“ €\nzwei", kWestern));
    EXPECT_EQ(std::get<Document>(readDocumentFile(folder / "west.txt")).plainText(), "Grüße „Zitat“ €\nzwei");
}

}  // namespace
}  // namespace quill::document::testing
