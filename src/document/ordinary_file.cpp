// Reading an ordinary file with the system's own calls, which tell a file from a pipe, socket or device
// before anything could wait on it.
#include "document/ordinary_file.h"

#include <algorithm>
#include <cerrno>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quill::document {

#if defined(_WIN32)
FileProblem readOrdinaryFile(const std::filesystem::path& path, std::uintmax_t maxBytes,
                             std::vector<std::uint8_t>& bytes, std::uintmax_t& size) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileProblem::NotFound
                                                                              : FileProblem::Denied;
    }
    FileProblem problem = FileProblem::None;
    LARGE_INTEGER length{};
    if (GetFileType(file) != FILE_TYPE_DISK) {
        problem = FileProblem::Special;
    } else if (!GetFileSizeEx(file, &length)) {
        problem = FileProblem::ReadFailed;
    } else if ((size = static_cast<std::uintmax_t>(length.QuadPart)) > maxBytes) {
        problem = FileProblem::TooLarge;
    } else {
        bytes.resize(static_cast<std::size_t>(size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD got = 0;
            if (!ReadFile(file, bytes.data() + done,
                          static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20)), &got,
                          nullptr)) {
                problem = FileProblem::ReadFailed;
                break;
            }
            if (got == 0) break;  // the file became shorter meanwhile
            done += got;
        }
        bytes.resize(done);
    }
    CloseHandle(file);
    return problem;
}
#else
FileProblem readOrdinaryFile(const std::filesystem::path& path, std::uintmax_t maxBytes,
                             std::vector<std::uint8_t>& bytes, std::uintmax_t& size) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? FileProblem::NotFound : FileProblem::Denied;
    }
    if (!S_ISREG(info.st_mode)) return FileProblem::Special;
    const int file = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (file < 0) return errno == ENOENT ? FileProblem::NotFound : FileProblem::Denied;
    FileProblem problem = FileProblem::None;
    if (::fstat(file, &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = FileProblem::Special;
    } else if ((size = static_cast<std::uintmax_t>(info.st_size)) > maxBytes) {
        problem = FileProblem::TooLarge;
    } else {
        // The file may grow while it is read: never more than the limit and one byte.
        bytes.resize(static_cast<std::size_t>(size) + 1);
        std::size_t done = 0;
        for (;;) {
            if (done == bytes.size()) {
                if (bytes.size() > maxBytes) break;
                bytes.resize(std::min<std::size_t>(bytes.size() * 2, maxBytes + 1));
            }
            const ssize_t got = ::read(file, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                problem = FileProblem::ReadFailed;
                break;
            }
            if (got == 0) break;
            done += static_cast<std::size_t>(got);
        }
        bytes.resize(done);
        if (done > maxBytes) {
            size = done;
            problem = FileProblem::TooLarge;
        }
    }
    ::close(file);
    return problem;
}
#endif

}  // namespace quill::document
