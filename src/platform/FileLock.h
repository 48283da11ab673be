#pragma once

#include <string>

// An exclusive lock on a small marker file, taken without waiting. The system drops it when the
// process ends, however it ends (a crash, a kill, a power cut), so a free lock means its owner is
// gone. Two FileLock objects conflict even inside one process, and the lock is not inherited by
// child processes.
namespace quorvel {

class FileLock {
  public:
    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Creates the file (readable by this user only) when missing and locks it. False when another
    // holder has it or the file cannot be opened; this object then holds nothing. A lock already
    // held by this object is released first.
    bool TryLock(const std::string& path);
    bool Held() const;
    void Release();
    // Deletes the marker file while still holding it, then releases, so nobody can take the lock
    // of a file that is on its way out and think it belongs to them.
    void ReleaseAndRemove();

  private:
    std::string path_;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

}  // namespace quorvel
