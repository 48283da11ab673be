// These cases drive the POSIX stores with real files, processes and permissions.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <optional>

#include "TestUtil.h"
#include "platform/InstanceLock.h"

using namespace quorvel;

namespace {

// Starts a child that takes the lock and then waits until it is killed; returns its pid once the
// lock is taken, with `existed` telling what the child saw.
pid_t ChildHoldingLock(const std::string& name, const std::string& folder, bool& existed) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        close(ready[0]);
        InstanceLock lock(name, folder);
        char answer = !lock.Held() ? 'x' : lock.AlreadyExisted() ? 'e' : 'n';
        if (write(ready[1], &answer, 1) != 1) _exit(1);
        for (;;) pause();
    }
    close(ready[1]);
    char answer = 0;
    bool ok = read(ready[0], &answer, 1) == 1 && answer != 'x';
    close(ready[0]);
    existed = answer == 'e';
    if (!ok) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}

void KillAndReap(pid_t pid) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// Sets an environment variable for one scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace

TEST(InstanceLock, SecondHolderSeesTheFirstUntilEveryHolderIsGone) {
    TempFolder folder;
    auto first = std::make_unique<InstanceLock>("Quorvel", folder.path());
    EXPECT_TRUE(first->Held());
    EXPECT_FALSE(first->AlreadyExisted());

    auto second = std::make_unique<InstanceLock>("Quorvel", folder.path());
    EXPECT_TRUE(second->Held());
    EXPECT_TRUE(second->AlreadyExisted());

    // Like a named mutex, the marker lives while any holder does, not only the first.
    first.reset();
    InstanceLock third("Quorvel", folder.path());
    EXPECT_TRUE(third.AlreadyExisted());
    second.reset();
}

TEST(InstanceLock, FreeAgainOnceAllHoldersClosed) {
    TempFolder folder;
    { InstanceLock lock("Quorvel", folder.path()); }
    InstanceLock again("Quorvel", folder.path());
    EXPECT_TRUE(again.Held());
    EXPECT_FALSE(again.AlreadyExisted());
}

TEST(InstanceLock, DifferentNamesDoNotCollide) {
    TempFolder folder;
    InstanceLock a("Quorvel", folder.path());
    InstanceLock b("Other", folder.path());
    InstanceLock c("Quorvel/Sub", folder.path());
    EXPECT_FALSE(b.AlreadyExisted());
    EXPECT_FALSE(c.AlreadyExisted());
    EXPECT_TRUE(c.Held());
}

TEST(InstanceLock, OtherProcessIsSeenAndItsDeathReleasesTheLock) {
    TempFolder folder;
    bool childSawOther = true;
    pid_t child = ChildHoldingLock("Quorvel", folder.path(), childSawOther);
    ASSERT_GT(child, 0);
    EXPECT_FALSE(childSawOther);
    {
        InstanceLock mine("Quorvel", folder.path());
        EXPECT_TRUE(mine.AlreadyExisted());
    }
    // Killed without any clean-up: the system drops its lock.
    KillAndReap(child);
    InstanceLock after("Quorvel", folder.path());
    EXPECT_TRUE(after.Held());
    EXPECT_FALSE(after.AlreadyExisted());
}

TEST(InstanceLock, ChildSeesTheParentsLock) {
    TempFolder folder;
    InstanceLock mine("Quorvel", folder.path());
    bool childSawOther = false;
    pid_t child = ChildHoldingLock("Quorvel", folder.path(), childSawOther);
    ASSERT_GT(child, 0);
    EXPECT_TRUE(childSawOther);
    KillAndReap(child);
}

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
