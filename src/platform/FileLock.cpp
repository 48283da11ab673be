#include "platform/FileLock.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/FileNames.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

#include <utility>

namespace quorvel {

FileLock::~FileLock() {
    Release();
}

FileLock::FileLock(FileLock&& other) noexcept
    : path_(std::move(other.path_))
#ifdef _WIN32
      ,
      handle_(std::exchange(other.handle_, nullptr))
#else
      ,
      fd_(std::exchange(other.fd_, -1))
#endif
{
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        Release();
        path_ = std::move(other.path_);
#ifdef _WIN32
        handle_ = std::exchange(other.handle_, nullptr);
#else
        fd_ = std::exchange(other.fd_, -1);
#endif
    }
    return *this;
}

#ifdef _WIN32

bool FileLock::TryLock(const std::string& path) {
    Release();
    // Sharing everything lets others open the marker to try it; the byte-range lock is what
    // excludes them. The handle is not inheritable, so a started program does not keep it.
    const std::wstring wide = filenames::WidePath(path);
    if (wide.empty()) return false;
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    OVERLAPPED at{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        CloseHandle(file);
        return false;
    }
    handle_ = file;
    path_ = path;
    return true;
}

bool FileLock::Held() const {
    return handle_ != nullptr;
}

void FileLock::Release() {
    if (!handle_) return;
    OVERLAPPED at{};
    UnlockFileEx(static_cast<HANDLE>(handle_), 0, 1, 0, &at);
    CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
    path_.clear();
}

void FileLock::ReleaseAndRemove() {
    if (!handle_) return;
    // Opened with FILE_SHARE_DELETE, so the name can go while the handle is still open.
    DeleteFileW(filenames::WidePath(path_).c_str());
    Release();
}

#else

namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

bool FileLock::TryLock(const std::string& path) {
    Release();
    // A holder may delete the marker between our open and our lock; then the lock we got is on a
    // file nobody else can reach, so open the name again.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) return false;
        int locked;
        do {
            locked = ::flock(fd, LOCK_EX | LOCK_NB);
        } while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            ::close(fd);
            return false;
        }
        struct stat opened {};
        struct stat named {};
        if (::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
            SameFile(opened, named)) {
            fd_ = fd;
            path_ = path;
            return true;
        }
        ::close(fd);
    }
    return false;
}

bool FileLock::Held() const {
    return fd_ >= 0;
}

void FileLock::Release() {
    if (fd_ < 0) return;
    ::close(fd_);  // closing the only descriptor drops the lock
    fd_ = -1;
    path_.clear();
}

void FileLock::ReleaseAndRemove() {
    if (fd_ < 0) return;
    ::unlink(path_.c_str());
    Release();
}

#endif

}  // namespace quorvel
