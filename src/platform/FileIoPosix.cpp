#ifndef _WIN32

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>

#include "platform/FileIo.h"

namespace quorvel::fileio {
namespace {

// The kernel's own limit on links followed while resolving one name.
constexpr int kMaxLinkHops = 40;

std::string FolderOf(const std::string& path) {
    const auto separator = path.find_last_of('/');
    if (separator == std::string::npos) return ".";
    return separator == 0 ? path.substr(0, 1) : path.substr(0, separator);
}

// The file a save replaces: links are followed to the file they name, which need not exist.
std::optional<std::string> FollowLinks(std::string path) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) {
            if (errno == ENOENT) return path;
            return std::nullopt;
        }
        if (!S_ISLNK(info.st_mode)) return path;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return std::nullopt;
        target.resize(static_cast<std::size_t>(length));
        path = target.front() == '/' ? target : FolderOf(path) + "/" + target;
    }
    return std::nullopt;
}

// Only our own temporaries, and only those no running save can still be writing.
void RemoveStaleTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const int dirFd = ::dirfd(dir);
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsSaveTemporaryName(entry->d_name)) continue;
        struct stat info {};
        if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) continue;
        if (now - info.st_mtime < kStaleTemporarySeconds) continue;
        ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

mode_t UsualMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The temporary takes the replaced file's owner, group and permission bits. Owner and group
// first: changing them clears set-id bits that the mode then puts back where allowed.
void TakeOverIdentity(int fd, const struct stat& existing) {
    if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) {
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), existing.st_gid);
    }
    ::fchmod(fd, existing.st_mode & 07777);
}

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
                                 std::optional<unsigned> mode, std::string_view temporaryPrefix) {
    const auto target = FollowLinks(path);
    if (!target) return WriteOutcome::CannotCreate;
    struct stat existing {};
    bool exists = false;
    if (::stat(target->c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode)) return WriteOutcome::CannotCreate;
        // The folder may allow the rename, but the file itself says it is not to be changed.
        // Without any write bit that holds for root too, who passes every access check.
        if ((existing.st_mode & 0222) == 0 ||
            ::faccessat(AT_FDCWD, target->c_str(), W_OK, AT_EACCESS) != 0)
            return WriteOutcome::CannotCreate;
        exists = true;
    } else if (errno != ENOENT) {
        return WriteOutcome::CannotCreate;
    }

    const std::string folder = FolderOf(*target);
    RemoveStaleTemporaries(folder);
    std::string temporary =
        folder + "/" + std::string(temporaryPrefix) + std::string(kTemporarySuffixLength, 'X');
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return WriteOutcome::CannotCreate;
    if (exists)
        TakeOverIdentity(fd, existing);
    else
        ::fchmod(fd, mode ? static_cast<mode_t>(*mode) : UsualMode());

    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlink(temporary.c_str());
        return WriteOutcome::WriteFailed;
    }
    if (::rename(temporary.c_str(), target->c_str()) != 0) {
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
    // Refuse before opening where possible: opening some devices has effects of its own.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return ReadOutcome::CannotOpen;
    // Non-blocking, so a FIFO swapped in meanwhile cannot hold the open; checked again below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return ReadOutcome::CannotOpen;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return ReadOutcome::CannotOpen;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
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

}  // namespace quorvel::fileio

#endif
