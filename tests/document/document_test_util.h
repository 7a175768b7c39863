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

#include "document/document_io.h"

namespace quill::document::testing {

inline std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

inline std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string readText(const std::filesystem::path& path) {
    const auto bytes = readBytes(path);
    return {bytes.begin(), bytes.end()};
}

// The document, or a test failure naming the message.
inline Document documentOf(const std::vector<std::uint8_t>& bytes) {
    ReadResult result = readDocument(bytes, "probe");
    if (const auto* failure = std::get_if<Failure>(&result)) {
        ADD_FAILURE() << "unexpected failure: " << failure->message;
        return {};
    }
    return std::get<Document>(result);
}

inline std::string textOf(const std::vector<std::uint8_t>& bytes) {
    return documentOf(bytes).plainText();
}
inline std::string textOf(std::string_view bytes) {
    return textOf(bytesOf(bytes));
}

// The failure message, or "" (and a test failure) when the bytes were read.
inline std::string failureOf(const std::vector<std::uint8_t>& bytes, const std::string& name = "probe") {
    ReadResult result = readDocument(bytes, name);
    if (const auto* failure = std::get_if<Failure>(&result)) return failure->message;
    ADD_FAILURE() << "read although broken: " << std::get<Document>(result).plainText().substr(0, 80);
    return "";
}

// One input and what it gives: its text, or (refused) a message that holds `expected`.
struct Row {
    std::string input;
    std::string expected;
    bool refused = false;
};

inline void expectRows(const std::vector<Row>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE("row " + std::to_string(i) + ": " + row.input.substr(0, 100));
        if (!row.refused) {
            EXPECT_EQ(textOf(row.input), row.expected);
        } else {
            const std::string message = failureOf(bytesOf(row.input));
            EXPECT_NE(message.find(row.expected), std::string::npos) << message;
        }
    }
}

// Each run as its text and format in a few words, to compare with a literal list.
inline std::vector<std::string> describeRuns(const Document& document) {
    std::vector<std::string> runs;
    for (const TextRun& run : document.runs) {
        const TextFormat& f = run.format;
        std::ostringstream out;
        out << run.text << ": " << f.fontFamily << " " << f.pointSize << (f.bold ? " bold" : "")
            << (f.italic ? " italic" : "") << (f.underline ? " underline" : "")
            << (f.strikeOut ? " strike" : "");
        if (f.color) out << " #" << std::hex << std::setw(6) << std::setfill('0') << *f.color;
        runs.push_back(out.str());
    }
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
        std::filesystem::permissions(path_, std::filesystem::perms::all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

}  // namespace quill::document::testing
