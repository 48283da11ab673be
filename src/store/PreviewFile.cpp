#include "store/PreviewFile.h"

#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include "platform/FileNames.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quorvel {

namespace {

#ifdef _WIN32

// A link (reparse point) planted at the path is removed and the file created anew, never
// written through.
int OpenForWrite(const std::string& path) {
    const std::wstring wide = filenames::WidePath(path);
    if (wide.empty()) return -1;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    int flags = _O_CREAT | _O_TRUNC | _O_WRONLY | _O_BINARY;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (!DeleteFileW(wide.c_str())) return -1;
        flags |= _O_EXCL;
    }
    int fd = -1;
    if (_wsopen_s(&fd, wide.c_str(), flags, _SH_DENYNO, _S_IREAD | _S_IWRITE) != 0) return -1;
    return fd;
}
int OpenForRead(const std::string& path) {
    const std::wstring wide = filenames::WidePath(path);
    int fd = -1;
    if (wide.empty() || _wsopen_s(&fd, wide.c_str(), _O_RDONLY | _O_BINARY, _SH_DENYNO, 0) != 0)
        return -1;
    return fd;
}
bool IsUsableFile(int fd) {
    struct _stat64 info {};
    return _fstat64(fd, &info) == 0 && (info.st_mode & _S_IFREG) != 0;
}
long long WriteSome(int fd, const char* data, std::size_t size) {
    const unsigned chunk = size > 0x40000000u ? 0x40000000u : static_cast<unsigned>(size);
    return _write(fd, data, chunk);
}
long long ReadSome(int fd, char* data, std::size_t size) {
    const unsigned chunk = size > 0x40000000u ? 0x40000000u : static_cast<unsigned>(size);
    return _read(fd, data, chunk);
}
int CloseFile(int fd) {
    return _close(fd);
}

#else

// Only a plain file of this user with no other name is reused: a link, a FIFO or a file another
// user planted (or linked to elsewhere) would let the text go somewhere else or be read by
// someone else.
bool IsOwnPlainFile(const struct stat& info) {
    return S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && info.st_nlink == 1;
}

int ReuseOwnFile(const std::string& path) {
    // O_NONBLOCK keeps a FIFO swapped in meanwhile from holding the open; O_TRUNC waits for the
    // check, since the file opened may not be the one looked at.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !IsOwnPlainFile(info) || ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return -1;
    }
    ::fchmod(fd, 0600);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

int OpenForWrite(const std::string& path) {
    // Twice at most: a name that changes between the look and the open gets one more round.
    for (int attempt = 0; attempt < 2; ++attempt) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0) {
            if (IsOwnPlainFile(info)) {
                const int fd = ReuseOwnFile(path);
                if (fd >= 0) return fd;
            } else if (S_ISDIR(info.st_mode)) {
                return -1;
            }
            if (::unlink(path.c_str()) != 0 && errno != ENOENT) return -1;
        } else if (errno != ENOENT) {
            return -1;
        }
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}
int OpenForRead(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
}
bool IsUsableFile(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && IsOwnPlainFile(info);
}
long long WriteSome(int fd, const char* data, std::size_t size) {
    return ::write(fd, data, size);
}
long long ReadSome(int fd, char* data, std::size_t size) {
    return ::read(fd, data, size);
}
int CloseFile(int fd) {
    return ::close(fd);
}

#endif

long long FileSize(int fd) {
#ifdef _WIN32
    struct _stat64 info {};
    if (_fstat64(fd, &info) != 0) return -1;
#else
    struct stat info {};
    if (::fstat(fd, &info) != 0) return -1;
#endif
    return static_cast<long long>(info.st_size);
}

}  // namespace

std::optional<FileError> WritePreviewFile(const std::string& path, std::string_view bytes) {
    const int fd = OpenForWrite(path);
    if (fd < 0) return CannotCreateError(path, kPreviewWriteCaption);
    if (!IsUsableFile(fd)) {
        CloseFile(fd);
        return CannotCreateError(path, kPreviewWriteCaption);
    }
    std::size_t written = 0;
    bool failed = false;
    while (written < bytes.size()) {
        const long long count = WriteSome(fd, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            failed = true;
            break;
        }
        written += static_cast<std::size_t>(count);
    }
    // A failing close can be the first report of a lost write (full disk, network drive).
    if (CloseFile(fd) != 0) failed = true;
    if (failed) return WriteError(kPreviewWriteCaption);
    return std::nullopt;
}

PreviewReadResult ReadPreviewFile(const std::string& path) {
    PreviewReadResult result;
    const int fd = OpenForRead(path);
    if (fd < 0) {
        result.error = CannotOpenError(path, kPreviewReadCaption);
        return result;
    }
    if (!IsUsableFile(fd)) {
        CloseFile(fd);
        result.error = CannotOpenError(path, kPreviewReadCaption);
        return result;
    }
    const long long size = FileSize(fd);
    if (size < 0) {
        CloseFile(fd);
        result.error = ReadError(kPreviewReadCaption);
        return result;
    }
    // Read to the end rather than exactly `size` bytes: another instance may rewrite the file
    // meanwhile, and a shorter or longer file is still a whole one.
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(size));
    char buffer[16384];
    for (;;) {
        const long long count = ReadSome(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
            CloseFile(fd);
            result.error = ReadError(kPreviewReadCaption);
            return result;
        }
        if (count == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    CloseFile(fd);
    result.bytes = std::move(bytes);
    return result;
}

}  // namespace quorvel
