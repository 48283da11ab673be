#include "platform/FileIo.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quorvel::fileio {
namespace {

std::string FolderOf(const std::string& path) {
#ifdef _WIN32
    const auto separator = path.find_last_of("\\/:");
#else
    const auto separator = path.find_last_of('/');
#endif
    if (separator == std::string::npos) return ".";
    return separator == 0 ? path.substr(0, 1) : path.substr(0, separator);
}

}  // namespace

#ifdef _WIN32

WriteOutcome ReplaceFileContents(const std::string& path, std::string_view bytes,
                                 std::optional<unsigned>) {
    char temporary[MAX_PATH];
    if (GetTempFileNameA(FolderOf(path).c_str(), "qvl", 0, temporary) == 0)
        return WriteOutcome::CannotCreate;
    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileA(temporary);
        return WriteOutcome::CannotCreate;
    }
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size() && FlushFileBuffers(file);
    const bool closed = CloseHandle(file);
    if (!ok || !closed) {
        DeleteFileA(temporary);
        return WriteOutcome::WriteFailed;
    }
    if (!MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary);
        return WriteOutcome::CannotCreate;
    }
    return WriteOutcome::Ok;
}

ReadOutcome ReadFilePrefix(const std::string& path, std::size_t size, std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ReadOutcome::CannotOpen;
    bytes.assign(size, '\0');
    DWORD got = 0;
    const bool ok = ReadFile(file, bytes.data(), static_cast<DWORD>(size), &got, nullptr);
    CloseHandle(file);
    return ok && got == size ? ReadOutcome::Ok : ReadOutcome::ReadFailed;
}

#else

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

WriteOutcome ReplaceFileContents(const std::string& path, std::string_view bytes,
                                 std::optional<unsigned> mode) {
    const std::string folder = FolderOf(path);
    const auto slash = path.find_last_of('/');
    std::string temporary =
        folder + "/." + (slash == std::string::npos ? path : path.substr(slash + 1)) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return WriteOutcome::CannotCreate;
    struct stat existing {};
    if (mode) {
        ::fchmod(fd, static_cast<mode_t>(*mode));
    } else if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        ::fchmod(fd, existing.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlink(temporary.c_str());
        return WriteOutcome::WriteFailed;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return WriteOutcome::CannotCreate;
    }
    // Make the rename itself durable; the data is already safe, so a failure here is none.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return WriteOutcome::Ok;
}

ReadOutcome ReadFilePrefix(const std::string& path, std::size_t size, std::string& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return ReadOutcome::CannotOpen;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return ReadOutcome::CannotOpen;
    }
    bytes.assign(size, '\0');
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, bytes.data() + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return got == size ? ReadOutcome::Ok : ReadOutcome::ReadFailed;
}

#endif

}  // namespace quorvel::fileio
