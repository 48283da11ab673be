#ifndef _WIN32

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>

#include "platform/FileStreams.h"

namespace quorvel::fileio {
namespace {

// The kernel's own limit on links followed while resolving one name.
constexpr int kMaxLinkHops = 40;
// Pieces are gathered up to this size before each write call.
constexpr std::size_t kWriteChunk = 64 * 1024;

int Fd(std::intptr_t handle) {
    return static_cast<int>(handle);
}

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
void RemoveStaleTemporaries(int dirFd) {
    const int own = ::dup(dirFd);
    if (own < 0) return;
    DIR* dir = ::fdopendir(own);
    if (!dir) {
        ::close(own);
        return;
    }
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

// Whether an existing file may be replaced: the folder may allow the rename, but the file itself
// may say it is not to be changed. Without any write bit that holds for root too, who passes
// every access check.
bool MayReplace(int dirFd, const char* name, const struct stat& existing) {
    return (existing.st_mode & 0222) != 0 && ::faccessat(dirFd, name, W_OK, AT_EACCESS) == 0;
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

// A fresh temporary name in the folder, created exclusively and never through a link.
int CreateTemporaryAt(int dirFd, std::uint64_t& seed, std::string& name, mode_t mode,
                      std::string_view prefix = kTemporaryPrefix) {
    static constexpr char kAlphabet[] =
        "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    if (seed == 0)
        seed = static_cast<std::uint64_t>(std::time(nullptr)) ^
               (static_cast<std::uint64_t>(::getpid()) << 32) ^
               reinterpret_cast<std::uintptr_t>(&name);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name.assign(prefix);
        for (std::size_t i = 0; i < kTemporarySuffixLength; ++i) {
            seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
            name += kAlphabet[(seed >> 33) % (sizeof kAlphabet - 1)];
        }
        const int fd = ::openat(dirFd, name.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

// ---- reading ------------------------------------------------------------------------------------

InputFile::~InputFile() {
    if (handle_ >= 0) ::close(Fd(handle_));
}

bool InputFile::Open(const std::string& path) {
    if (handle_ >= 0) ::close(Fd(handle_));
    handle_ = -1;
    // Refuse before opening where possible: opening some devices has effects of its own.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    // Non-blocking, so a FIFO swapped in meanwhile cannot hold the open; checked again below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    handle_ = fd;
    return true;
}

std::optional<std::size_t> InputFile::Read(char* buffer, std::size_t size) {
    if (handle_ < 0) return std::nullopt;
    for (;;) {
        const ssize_t n = ::read(Fd(handle_), buffer, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) return std::nullopt;
    }
}

bool InputFile::IsSameFile(const std::string& path) const {
    struct stat mine {};
    struct stat other {};
    if (handle_ < 0 || ::fstat(Fd(handle_), &mine) != 0 || ::stat(path.c_str(), &other) != 0)
        return false;
    return mine.st_dev == other.st_dev && mine.st_ino == other.st_ino;
}

// ---- one file replaced in pieces ----------------------------------------------------------------

FileReplacement::~FileReplacement() {
    Abandon();
}

void FileReplacement::Abandon() {
    if (handle_ >= 0) {
        ::close(Fd(handle_));
        ::unlink(temporary_.c_str());
    }
    handle_ = -1;
}

WriteOutcome FileReplacement::Begin(const std::string& path, std::optional<unsigned> mode,
                                    std::string_view temporaryPrefix) {
    Abandon();
    failed_ = false;
    pending_.clear();
    const auto target = FollowLinks(path);
    if (!target) return WriteOutcome::CannotCreate;
    struct stat existing {};
    exists_ = false;
    if (::stat(target->c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode)) return WriteOutcome::CannotCreate;
        if (!MayReplace(AT_FDCWD, target->c_str(), existing)) return WriteOutcome::CannotCreate;
        exists_ = true;
    } else if (errno != ENOENT) {
        return WriteOutcome::CannotCreate;
    }
    const std::string folder = FolderOf(*target);
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return WriteOutcome::CannotCreate;
    RemoveStaleTemporaries(dirFd);
    std::uint64_t seed = 0;
    std::string leaf;
    const int fd = CreateTemporaryAt(dirFd, seed, leaf, 0600, temporaryPrefix);
    ::close(dirFd);
    if (fd < 0) return WriteOutcome::CannotCreate;
    if (exists_) {
        TakeOverIdentity(fd, existing);
    } else if (mode) {
        ::fchmod(fd, static_cast<mode_t>(*mode));
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    handle_ = fd;
    target_ = *target;
    temporary_ = folder + "/" + leaf;
    return WriteOutcome::Ok;
}

bool FileReplacement::Flush() {
    if (!failed_ && !pending_.empty() && !WriteAll(Fd(handle_), pending_)) failed_ = true;
    pending_.clear();
    return !failed_;
}

bool FileReplacement::Write(std::string_view bytes) {
    if (handle_ < 0 || failed_) return false;
    pending_ += bytes;
    return pending_.size() < kWriteChunk || Flush();
}

WriteOutcome FileReplacement::Commit() {
    if (handle_ < 0) return WriteOutcome::CannotCreate;
    const bool written = Flush() && ::fsync(Fd(handle_)) == 0;
    const bool closed = ::close(Fd(handle_)) == 0;
    handle_ = -1;
    if (!written || !closed) {
        ::unlink(temporary_.c_str());
        return WriteOutcome::WriteFailed;
    }
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        ::unlink(temporary_.c_str());
        return WriteOutcome::CannotCreate;
    }
    // Make the rename itself durable; the data is already safe, so a failure here is none.
    const int dir = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return WriteOutcome::Ok;
}

// ---- entries of one folder ----------------------------------------------------------------------

OutputFolder::~OutputFolder() {
    if (handle_ >= 0) ::close(Fd(handle_));
}

bool OutputFolder::Open(const std::string& path) {
    if (handle_ >= 0) ::close(Fd(handle_));
    handle_ = -1;
    // O_DIRECTORY: a FIFO or device named as the folder is refused without waiting on it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    handle_ = fd;
    path_ = path;
    RemoveStaleTemporaries(fd);
    return true;
}

EntryOutcome OutputFolder::Replace(const std::string& name, std::string_view bytes) {
    if (handle_ < 0 || name.empty() || name.find('/') != std::string::npos)
        return EntryOutcome::CannotCreate;
    const int dirFd = Fd(handle_);
    // A new entry is made in place, exclusively and never through a link: it has no earlier
    // contents a failed write could lose, so it costs no more than a plain write.
    const int fresh =
        ::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fresh >= 0) {
        const bool written = WriteAll(fresh, bytes);
        if (::close(fresh) == 0 && written) return EntryOutcome::Ok;
        ::unlinkat(dirFd, name.c_str(), 0);
        return EntryOutcome::WriteFailed;
    }
    if (errno != EEXIST) return EntryOutcome::CannotCreate;
    struct stat existing {};
    if (::fstatat(dirFd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) != 0)
        return EntryOutcome::CannotCreate;
    if (!S_ISREG(existing.st_mode)) return EntryOutcome::NotAFile;
    if (!MayReplace(dirFd, name.c_str(), existing)) return EntryOutcome::CannotCreate;

    // An existing file is replaced as a save replaces one: its new contents are on disk before
    // a rename puts them in its place, with its owner, group and permissions.
    std::string temporary;
    const int fd = CreateTemporaryAt(dirFd, seed_, temporary, 0600);
    if (fd < 0) return EntryOutcome::CannotCreate;
    TakeOverIdentity(fd, existing);
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlinkat(dirFd, temporary.c_str(), 0);
        return EntryOutcome::WriteFailed;
    }
    // The rename never follows a link: a link planted meanwhile is replaced, not written through.
    if (::renameat(dirFd, temporary.c_str(), dirFd, name.c_str()) != 0) {
        const int error = errno;
        ::unlinkat(dirFd, temporary.c_str(), 0);
        return error == EISDIR ? EntryOutcome::NotAFile : EntryOutcome::CannotCreate;
    }
    replaced_ = true;
    return EntryOutcome::Ok;
}

// Only renames need the folder flushed, to keep what replaced the old contents. New entries are
// left to the system like any program's new files: flushing the folder would wait for all
// their data, and on a shared disk for everyone else's too.
bool OutputFolder::Sync() {
    if (handle_ < 0) return false;
    return !replaced_ || ::fsync(Fd(handle_)) == 0;
}

}  // namespace quorvel::fileio

#endif
