#include "platform/InstanceLock.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#endif

#include <utility>

namespace quorvel {

#ifdef _WIN32

InstanceLock::InstanceLock(std::string name, std::string) {
    handle_ = CreateMutexA(nullptr, FALSE, name.c_str());
    alreadyExisted_ = GetLastError() == ERROR_ALREADY_EXISTS;
    held_ = handle_ != nullptr;
}

InstanceLock::~InstanceLock() {
    Release();
}

void InstanceLock::Release() {
    if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
    held_ = false;
}

std::string InstanceLock::DefaultDirectory() {
    return {};
}

#else

namespace {

// A folder only this user can change, so nobody can plant or remove the lock file.
bool PrivateFolder(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 022) == 0;
}

// Tries a lock without waiting, retrying when a signal cuts in.
bool TryLock(int fd, short type) {
#ifdef F_OFD_SETLK
    // Open-file-description locks: one per open of the file, so two holders in one process see
    // each other, and a write lock turns into a read lock without letting anyone in between.
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    for (;;) {
        if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) return true;
        if (errno != EINTR) return false;
    }
#else
    for (;;) {
        if (::flock(fd, (type == F_WRLCK ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) return true;
        if (errno != EINTR) return false;
    }
#endif
}

}  // namespace

std::string InstanceLock::DefaultDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && PrivateFolder(runtime)) return runtime;
    std::string fallback = "/tmp/quorvel-" + std::to_string(::geteuid());
    if (::mkdir(fallback.c_str(), 0700) != 0 && errno != EEXIST) return {};
    return PrivateFolder(fallback) ? fallback : std::string();
}

InstanceLock::InstanceLock(std::string name, std::string directory) {
    if (directory.empty()) directory = DefaultDirectory();
    if (directory.empty()) return;
    for (char& c : name)
        if (c == '/') c = '_';
    const std::string path = directory + "/" + name + ".lock";
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd_ < 0) return;

    // Every holder keeps a read lock; whoever can get the write lock is alone.
    if (TryLock(fd_, F_WRLCK)) {
        held_ = TryLock(fd_, F_RDLCK);
        return;
    }
    if (errno != EAGAIN && errno != EACCES && errno != EWOULDBLOCK) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    alreadyExisted_ = true;
    // A newcomer may hold the write lock for a moment while it turns it into a read lock.
    for (int attempt = 0; attempt < 100 && !held_; ++attempt) {
        held_ = TryLock(fd_, F_RDLCK);
        if (!held_) ::usleep(1000);
    }
}

InstanceLock::~InstanceLock() {
    Release();
}

void InstanceLock::Release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    held_ = false;
}

#endif

}  // namespace quorvel
