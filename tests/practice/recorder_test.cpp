#include "practice/recorder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/unicode.h"
#include "practice/practice_client.h"

namespace quill::practice {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every event is in the file before the next arrives, after what was there; a folder that is
// missing gives a German message naming the file.
TEST(PracticeRecorder, AppendsEveryEventAtOnceAndNamesAFileItCannotOpen) {
    const fs::path dir = fs::temp_directory_path() / "quill-practice-recorder";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path file = dir / pathFromUtf8("Übungsbuch-ä.txt");
    std::ofstream(file, std::ios::binary) << "vorher\n";
    std::string expected = "vorher\n";
    {
        Recorder recorder;  // closes the file at the end of the block, before the folder goes
        ASSERT_TRUE(recorder.open(file)) << recorder.error();
        for (char32_t c : core::utf8ToUtf32("a\tÄ€\n你\U0001F4DC\b")) {
            ASSERT_TRUE(recorder.append(c));
            expected += recordedBytes(c);
            EXPECT_EQ(contents(file), expected);
        }
    }
    EXPECT_EQ(expected, "vorher\na\tÄ€\n你\U0001F4DC\b");

    Recorder missing;
    EXPECT_FALSE(missing.open(dir / "fehlt" / "record.txt"));
    EXPECT_FALSE(missing.active());
    EXPECT_NE(missing.error().find("kann nicht geöffnet werden"), std::string::npos) << missing.error();
    EXPECT_NE(missing.error().find("record.txt"), std::string::npos);
    fs::remove_all(dir);
}

#ifndef _WIN32
TEST(PracticeRecorder, AFullDiskSaysSo) {
    Recorder recorder;
    ASSERT_TRUE(recorder.open("/dev/full"));
    EXPECT_FALSE(recorder.append(U'ä'));
    EXPECT_NE(recorder.error().find("Datenträger ist voll"), std::string::npos) << recorder.error();
}
#endif

TEST(PracticeRecorder, BytesLeftOverByAFailingWriteAreKeptAndGoOutFirstAndInOrder) {
    std::string written;
    int budget = 1;  // bytes the sink takes before it fails
    Recorder recorder(
        [&](std::string_view bytes) -> std::size_t {
            const std::size_t n = std::min<std::size_t>(bytes.size(), static_cast<std::size_t>(budget));
            written.append(bytes.substr(0, n));
            budget -= static_cast<int>(n);
            if (n < bytes.size()) errno = ENOSPC;
            return n;
        },
        "test");
    EXPECT_FALSE(recorder.append(U'€'));  // one of three bytes written
    EXPECT_FALSE(recorder.append(U'x'));
    EXPECT_EQ(recorder.pendingBytes(), 3u);
    EXPECT_NE(recorder.error().find("Datenträger ist voll"), std::string::npos) << recorder.error();
    budget = 100;
    EXPECT_TRUE(recorder.append(U'\n'));
    EXPECT_EQ(written, "€x\n");
    EXPECT_TRUE(recorder.error().empty());
}

}  // namespace
}  // namespace quill::practice
