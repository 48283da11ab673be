#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TestUtil.h"
#include "platform/InstanceLock.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#endif

using namespace quorvel;

namespace {

// Windows mutex names are shared by the whole session, so each run uses its own; elsewhere the
// test's folder keeps runs apart.
std::string LockName(const std::string& base) {
#ifdef _WIN32
    return "QuorvelTest-" + std::to_string(GetCurrentProcessId()) + "-" + base;
#else
    return base;
#endif
}

}  // namespace

TEST(InstanceLock, SecondHolderSeesTheFirstUntilEveryHolderIsGone) {
    TempFolder folder;
    auto first = std::make_unique<InstanceLock>(LockName("Quorvel"), folder.path());
    EXPECT_TRUE(first->Held());
    EXPECT_FALSE(first->AlreadyExisted());

    auto second = std::make_unique<InstanceLock>(LockName("Quorvel"), folder.path());
    EXPECT_TRUE(second->Held());
    EXPECT_TRUE(second->AlreadyExisted());

    // Like a named mutex, the marker lives while any holder does, not only the first.
    first.reset();
    InstanceLock third(LockName("Quorvel"), folder.path());
    EXPECT_TRUE(third.AlreadyExisted());
    second.reset();
}

TEST(InstanceLock, FreeAgainOnceAllHoldersClosed) {
    TempFolder folder;
    { InstanceLock lock(LockName("Quorvel"), folder.path()); }
    InstanceLock again(LockName("Quorvel"), folder.path());
    EXPECT_TRUE(again.Held());
    EXPECT_FALSE(again.AlreadyExisted());
}

TEST(InstanceLock, DifferentNamesDoNotCollide) {
    TempFolder folder;
    InstanceLock a(LockName("Quorvel"), folder.path());
    InstanceLock b(LockName("Other"), folder.path());
    InstanceLock c(LockName("Quorvel/Sub"), folder.path());
    EXPECT_FALSE(b.AlreadyExisted());
    EXPECT_FALSE(c.AlreadyExisted());
    EXPECT_TRUE(c.Held());
}

namespace {

// Another process that takes the lock, reports what it saw and then holds it until killed.
class LockHolder {
  public:
    ~LockHolder() { Kill(); }
    // False when the process could not be started or could not take the lock.
    bool Start(const std::string& name, const std::string& folder);
    bool SawOther() const { return sawOther_; }
    // Ends the process without any clean-up of its own and waits for it.
    void Kill();

  private:
    bool sawOther_ = false;
#ifdef _WIN32
    HANDLE process_ = nullptr;
    // The child's standard input: it holds the lock until this closes.
    HANDLE input_ = nullptr;
#else
    pid_t pid_ = -1;
#endif
};

#ifdef _WIN32

constexpr const char* kHoldFlag = "--quorvel-hold-lock=";

// Started with kHoldFlag, the test program takes that lock before any test runs, answers on its
// standard output and waits for its standard input to close.
[[maybe_unused]] const bool holderMode = [] {
    const std::string line = GetCommandLineA();
    const auto at = line.find(kHoldFlag);
    if (at == std::string::npos) return false;
    const std::string name = line.substr(at + std::string(kHoldFlag).size());
    InstanceLock lock(name);
    const char answer = !lock.Held() ? 'x' : lock.AlreadyExisted() ? 'e' : 'n';
    DWORD count = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), &answer, 1, &count, nullptr);
    char ignored;
    ReadFile(GetStdHandle(STD_INPUT_HANDLE), &ignored, 1, &count, nullptr);
    // The mutex handle is left open on purpose: the system must release it.
    ExitProcess(0);
}();

bool LockHolder::Start(const std::string& name, const std::string&) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE outRead, outWrite, inRead, inWrite;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) return false;
    if (!CreatePipe(&inRead, &inWrite, &inherit, 0)) return false;
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead;
    startup.hStdOutput = outWrite;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    char self[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = "\"" + std::string(self) + "\" " + kHoldFlag + name;
    PROCESS_INFORMATION info{};
    const bool started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &info);
    CloseHandle(outWrite);
    CloseHandle(inRead);
    char answer = 0;
    DWORD count = 0;
    if (started) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        ReadFile(outRead, &answer, 1, &count, nullptr);
    }
    CloseHandle(outRead);
    // Kept open so the child waits; closing it lets the child end.
    input_ = inWrite;
    sawOther_ = answer == 'e';
    return count == 1 && answer != 'x';
}

void LockHolder::Kill() {
    if (process_) {
        TerminateProcess(process_, 9);
        WaitForSingleObject(process_, INFINITE);
        CloseHandle(process_);
        process_ = nullptr;
    }
    if (input_) CloseHandle(input_);
    input_ = nullptr;
}

#else

bool LockHolder::Start(const std::string& name, const std::string& folder) {
    int ready[2];
    if (pipe(ready) != 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
        close(ready[0]);
        InstanceLock lock(name, folder);
        char answer = !lock.Held() ? 'x' : lock.AlreadyExisted() ? 'e' : 'n';
        if (write(ready[1], &answer, 1) != 1) _exit(1);
        for (;;) pause();
    }
    close(ready[1]);
    char answer = 0;
    const bool ok = pid_ > 0 && read(ready[0], &answer, 1) == 1 && answer != 'x';
    close(ready[0]);
    sawOther_ = answer == 'e';
    return ok;
}

void LockHolder::Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

#endif

}  // namespace

TEST(InstanceLock, OtherProcessIsSeenAndItsDeathReleasesTheLock) {
    TempFolder folder;
    LockHolder child;
    ASSERT_TRUE(child.Start(LockName("Quorvel"), folder.path()));
    EXPECT_FALSE(child.SawOther());
    {
        InstanceLock mine(LockName("Quorvel"), folder.path());
        EXPECT_TRUE(mine.AlreadyExisted());
    }
    // Killed without any clean-up: the system drops its lock.
    child.Kill();
    InstanceLock after(LockName("Quorvel"), folder.path());
    EXPECT_TRUE(after.Held());
    EXPECT_FALSE(after.AlreadyExisted());
}

TEST(InstanceLock, ChildSeesTheParentsLock) {
    TempFolder folder;
    InstanceLock mine(LockName("Quorvel"), folder.path());
    LockHolder child;
    ASSERT_TRUE(child.Start(LockName("Quorvel"), folder.path()));
    EXPECT_TRUE(child.SawOther());
}

#ifndef _WIN32
// These cases are about the POSIX lock file and its folder.

TEST(InstanceLock, MissingFolderLetsTheStartGoOn) {
    TempFolder folder;
    InstanceLock lock("Quorvel", folder.file("absent"));
    EXPECT_FALSE(lock.Held());
    EXPECT_FALSE(lock.AlreadyExisted());
}

TEST(InstanceLock, DefaultFolderIsTheRuntimeFolderOnlyWhenPrivate) {
    TempFolder runtime;
    chmod(runtime.path().c_str(), 0700);
    {
        ScopedEnv env("XDG_RUNTIME_DIR", runtime.path());
        EXPECT_EQ(InstanceLock::DefaultDirectory(), runtime.path());
        InstanceLock lock;
        EXPECT_TRUE(lock.Held());
        struct stat info {};
        EXPECT_EQ(stat(runtime.file("Quorvel.lock").c_str(), &info), 0);
    }
    chmod(runtime.path().c_str(), 0777);
    {
        // Anyone could swap the lock file in a shared folder: use the private fallback instead.
        ScopedEnv env("XDG_RUNTIME_DIR", runtime.path());
        std::string fallback = InstanceLock::DefaultDirectory();
        ASSERT_FALSE(fallback.empty());
        EXPECT_NE(fallback, runtime.path());
        struct stat info {};
        ASSERT_EQ(lstat(fallback.c_str(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_uid, geteuid());
        EXPECT_EQ(info.st_mode & 0777, 0700u);
    }
}

#endif
