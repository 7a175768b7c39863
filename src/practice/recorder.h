// Appends every key event the practice client receives to a file, as UTF-8, the moment it arrives.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace quill::practice {

// The bytes a received event is written as: the character itself in UTF-8; Enter is "\n", Tab
// "\t" and Backspace "\b", so that replaying a recording rebuilds the book.
std::string recordedBytes(char32_t character);

class Recorder {
  public:
    // Takes bytes, returns how many of them it wrote (fewer on failure) and sets errno.
    using Writer = std::function<std::size_t(std::string_view bytes)>;

    // Not recording: append() does nothing.
    Recorder() = default;
    // Records through `write`, named `target` in messages.
    Recorder(Writer write, std::string target);
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Opens `path` for appending (created if missing). False, with error() set, when it cannot.
    bool open(const std::filesystem::path& path);
    bool active() const { return static_cast<bool>(write_); }

    // Writes one event at once. Bytes a failing write left over are kept, in order, and written
    // before anything else at the next call; false (and error() set) while any remain.
    bool append(char32_t character);
    // Tries to write what is left over; true when nothing remains.
    bool retry();
    std::size_t pendingBytes() const { return pending_.size(); }

    // A German description of the last failure, empty once everything is written.
    const std::string& error() const { return error_; }

  private:
    bool writePending();

    std::FILE* file_ = nullptr;
    Writer write_;
    std::string target_;
    std::string pending_;
    std::string error_;
};

// German text for an errno value from opening or writing a file.
std::string describeFileError(int error);

}  // namespace quill::practice
