// Helpers shared by the document tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "document/open_document.h"
#include "document/save_document.h"

namespace quill::document::testing {

inline std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

inline std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The document, or a test failure naming the message.
inline Document documentOf(std::string_view bytes) {
    ReadResult result = readDocument(bytesOf(bytes), "probe");
    if (const auto* failure = std::get_if<Failure>(&result)) ADD_FAILURE() << "refused: " << failure->message;
    return std::holds_alternative<Document>(result) ? std::get<Document>(result) : Document{};
}

// One input (named "probe", read with the system's code page given) and what it gives: its text, or
// (refused) a message that holds `expected`.
struct Row {
    std::string input;
    std::string expected;
    bool refused = false;
    unsigned codePage = 0;
};

inline void expectRows(const std::vector<Row>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE("row " + std::to_string(i) + ": " + row.input.substr(0, 100));
        const ReadResult result = readDocument(bytesOf(row.input), "probe", row.codePage);
        const auto* failure = std::get_if<Failure>(&result);
        const std::string got = failure ? failure->message : std::get<Document>(result).plainText();
        EXPECT_EQ(failure != nullptr, row.refused) << got;
        EXPECT_TRUE(row.refused ? got.find(row.expected) != std::string::npos : got == row.expected)
            << "got: " << got << "\nexpected: " << row.expected;
    }
}

// A format in a few words ("Arial 12 bold italic underline strike #0080ff"), to compare with literals.
inline std::string describe(const TextFormat& f) {
    std::ostringstream out;
    out << f.fontFamily << " " << f.pointSize << (f.bold ? " bold" : "") << (f.italic ? " italic" : "")
        << (f.underline ? " underline" : "") << (f.strikeOut ? " strike" : "");
    if (f.color) out << " #" << std::hex << std::setw(6) << std::setfill('0') << *f.color;
    return out.str();
}

// Each run of the document read from `bytes` as "text: format".
inline std::vector<std::string> describeRuns(std::string_view bytes) {
    std::vector<std::string> runs;
    for (const TextRun& run : documentOf(bytes).runs) runs.push_back(run.text + ": " + describe(run.format));
    return runs;
}

// A fresh, empty folder for one test, removed afterwards.
class TempFolder {
  public:
    TempFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                (std::string("quill-doc-") + info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace quill::document::testing
