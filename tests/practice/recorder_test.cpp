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

class PracticeRecorderFile : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("quill-practice-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(PracticeRecorderFile, EveryEventIsInTheFileBeforeTheNextArrives) {
    const fs::path file = dir_ / pathFromUtf8("Übungsbuch-ä.txt");
    Recorder recorder;
    ASSERT_TRUE(recorder.open(file)) << recorder.error();
    std::string expected;
    for (char32_t c : unicode::utf8ToUtf32("a\tÄ€\n你\U0001F4DC\b")) {
        ASSERT_TRUE(recorder.append(c));
        expected += recordedBytes(c);
        EXPECT_EQ(contents(file), expected);
    }
    EXPECT_EQ(expected, "a\tÄ€\n你\U0001F4DC\b");
}

TEST_F(PracticeRecorderFile, AppendsToWhatIsAlreadyThere) {
    const fs::path file = dir_ / "record.txt";
    std::ofstream(file, std::ios::binary) << "vorher\n";
    Recorder recorder;
    ASSERT_TRUE(recorder.open(file));
    recorder.append(U'x');
    EXPECT_EQ(contents(file), "vorher\nx");
}

TEST_F(PracticeRecorderFile, AMissingFolderGivesAGermanMessageNamingTheFile) {
    Recorder recorder;
    EXPECT_FALSE(recorder.open(dir_ / "fehlt" / "record.txt"));
    EXPECT_FALSE(recorder.active());
    EXPECT_NE(recorder.error().find("kann nicht geöffnet werden"), std::string::npos) << recorder.error();
    EXPECT_NE(recorder.error().find("record.txt"), std::string::npos);
}

#ifndef _WIN32
TEST(PracticeRecorder, AFullDiskKeepsTheBytesAndSaysSo) {
    Recorder recorder;
    ASSERT_TRUE(recorder.open("/dev/full"));
    EXPECT_FALSE(recorder.append(U'ä'));
    EXPECT_FALSE(recorder.append(U'b'));
    EXPECT_EQ(recorder.pendingBytes(), 3u);
    EXPECT_NE(recorder.error().find("Datenträger ist voll"), std::string::npos) << recorder.error();
}
#endif

TEST(PracticeRecorder, BytesLeftOverByAFailingWriteGoOutFirstAndInOrder) {
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
    budget = 100;
    EXPECT_TRUE(recorder.append(U'\n'));
    EXPECT_EQ(written, "€x\n");
    EXPECT_TRUE(recorder.error().empty());
}

}  // namespace
}  // namespace quill::practice
