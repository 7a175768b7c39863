// Helpers shared by the document tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
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
