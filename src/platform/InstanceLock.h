#pragma once

#include <string>

// The named single-instance marker. On Windows it is the mutex of that name; elsewhere a lock on a
// file of that name in the user's runtime folder, which the system drops when the process ends,
// however it ends. Nothing ever waits on it: it only tells whether another holder existed.
namespace quorvel {

class InstanceLock {
  public:
    static constexpr const char* kDefaultName = "Quorvel";

    // Takes the marker for the life of this object. An empty `directory` means the runtime folder
    // ($XDG_RUNTIME_DIR, else a private per-user folder under /tmp); it is not used on Windows.
    explicit InstanceLock(std::string name = kDefaultName, std::string directory = {});
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when another holder (in this or another process) had the marker when it was taken.
    bool AlreadyExisted() const { return alreadyExisted_; }
    // False when the marker could not be taken at all (no usable folder, no lock support); such a
    // start counts as the only one rather than being refused.
    bool Held() const { return held_; }

    // Gives the marker back before the process ends: a process whose window has closed is no
    // instance a later start should yield to, however long it takes to end.
    void Release();

    // The folder used when none is given; empty when no safe folder can be had.
    static std::string DefaultDirectory();

  private:
    bool alreadyExisted_ = false;
    bool held_ = false;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

}  // namespace quorvel
