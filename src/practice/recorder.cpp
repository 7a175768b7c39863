#include "practice/recorder.h"

#include <cerrno>
#ifdef _WIN32
#include <share.h>
#endif

#include "core/unicode.h"

namespace quill::practice {

std::string recordedBytes(char32_t character) {
    std::string out;
    core::appendUtf8(out, character);
    return out;
}

std::string describeFileError(int error) {
    switch (error) {
        case ENOSPC:
            return "der Datenträger ist voll";
        case EACCES:
        case EPERM:
            return "der Zugriff wurde verweigert";
        case ENOENT:
            return "der Ordner existiert nicht";
        case EROFS:
            return "der Datenträger ist schreibgeschützt";
        case EISDIR:
            return "das ist ein Ordner";
        case EIO:
            return "Ein-/Ausgabefehler";
        default:
            return "Systemfehler " + std::to_string(error);
    }
}

namespace {

std::string displayName(const std::filesystem::path& path) {
    const std::u8string name = path.u8string();
    return {name.begin(), name.end()};
}

}  // namespace

Recorder::Recorder(Writer write, std::string target) : write_(std::move(write)), target_(std::move(target)) {}

Recorder::~Recorder() {
    if (file_ != nullptr) std::fclose(file_);
}

bool Recorder::open(const std::filesystem::path& path) {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    write_ = nullptr;
    target_ = displayName(path);
    errno = 0;
#ifdef _WIN32
    // Others may read the file while it is being written.
    file_ = _wfsopen(path.c_str(), L"ab", _SH_DENYNO);
#else
    file_ = std::fopen(path.c_str(), "ab");
#endif
    if (file_ == nullptr) {
        error_ = "Die Aufzeichnungsdatei „" + target_ +
                 "“ kann nicht geöffnet werden: " + describeFileError(errno) + ".";
        return false;
    }
    // Unbuffered: every event reaches the file before the next one is taken.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    write_ = [file = file_](std::string_view bytes) {
        const std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
        if (written < bytes.size()) std::clearerr(file);
        return written;
    };
    error_.clear();
    return true;
}

bool Recorder::writePending() {
    while (!pending_.empty()) {
        errno = 0;
        const std::size_t written = write_(pending_);
        if (written == 0 || written > pending_.size()) {
            const int code = errno;
            error_ = "Die Aufzeichnung in „" + target_ + "“ ist fehlgeschlagen: " + describeFileError(code) +
                     ". " + std::to_string(pending_.size()) +
                     " Byte warten und werden mit dem nächsten Zeichen erneut geschrieben.";
            return false;
        }
        pending_.erase(0, written);
    }
    error_.clear();
    return true;
}

bool Recorder::append(char32_t character) {
    if (!active()) return true;
    pending_ += recordedBytes(character);
    return writePending();
}

bool Recorder::retry() {
    return !active() || writePending();
}

}  // namespace quill::practice
