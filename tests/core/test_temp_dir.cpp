#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "TestUtil.h"
#include "platform/TempDir.h"

using namespace quorvel;

#ifdef _WIN32

namespace {

std::string WindowsPath(const std::string& path) {
    return std::filesystem::path(path).make_preferred().string();
}

}  // namespace

TEST(TempDir, IsTheSystemTemporaryFolderWithItsSeparator) {
    TempFolder tmp;
    const std::string folder = WindowsPath(tmp.path());
    // GetTempPath takes TMP first, then TEMP.
    ScopedEnv tmpVariable("TMP", folder);
    ScopedEnv tempVariable("TEMP", WindowsPath(tmp.file("unused")));
    const TempPathResult dir = TempDirectory();
    ASSERT_TRUE(dir.ok()) << dir.error;
    EXPECT_EQ(dir.path, folder + "\\");
    const TempPathResult file = PreviewFilePath();
    ASSERT_TRUE(file.ok()) << file.error;
    EXPECT_EQ(file.path, folder + "\\Preview.htm");

    // A folder given with its separator is not doubled.
    ScopedEnv withSeparator("TMP", folder + "\\");
    EXPECT_EQ(PreviewFilePath().path, folder + "\\Preview.htm");
}

TEST(TempDir, FallsBackToTempWhenTmpIsUnset) {
    TempFolder tmp;
    const std::string folder = WindowsPath(tmp.path());
    ScopedEnv tmpVariable("TMP", std::nullopt);
    ScopedEnv tempVariable("TEMP", folder);
    EXPECT_EQ(PreviewFilePath().path, folder + "\\Preview.htm");
}

#else

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Sets or clears an environment variable for one test and puts the old value back.
class EnvOverride {
  public:
    EnvOverride(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~EnvOverride() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

struct stat LinkStat(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info;
}

}  // namespace

TEST(TempDir, CreatesPrivateDirectoryOwnedByUser) {
    TempFolder root;
    const std::string dir = root.file("quorvel");
    const mode_t oldMask = ::umask(0);  // a lax umask must not widen the directory
    const std::string error = EnsurePrivateDirectory(dir);
    ::umask(oldMask);
    ASSERT_EQ(error, "");
    const struct stat info = LinkStat(dir);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(info.st_uid, ::geteuid());
    // A second call accepts the directory it made.
    EXPECT_EQ(EnsurePrivateDirectory(dir), "");
}

TEST(TempDir, OwnDirectoryWithOpenModeIsTightened) {
    TempFolder root;
    const std::string dir = root.file("quorvel");
    ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(dir.c_str(), 0777), 0);
    EXPECT_EQ(EnsurePrivateDirectory(dir), "");
    EXPECT_EQ(LinkStat(dir).st_mode & 0777, 0700u);
}

TEST(TempDir, RefusesPlantedLinksFilesAndForeignDirectories) {
    TempFolder root;
    const std::string target = root.file("elsewhere");
    ASSERT_EQ(::mkdir(target.c_str(), 0755), 0);

    const std::string link = root.file("linked");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    const std::string linkError = EnsurePrivateDirectory(link);
    EXPECT_NE(linkError.find(link), std::string::npos) << linkError;
    EXPECT_NE(linkError.find("シンボリックリンク"), std::string::npos) << linkError;
    // The link's target was not tightened or otherwise touched.
    EXPECT_EQ(LinkStat(target).st_mode & 0777, 0755u);

    const std::string dangling = root.file("dangling");
    ASSERT_EQ(::symlink(root.file("nowhere").c_str(), dangling.c_str()), 0);
    EXPECT_NE(EnsurePrivateDirectory(dangling), "");
    EXPECT_NE(::access(root.file("nowhere").c_str(), F_OK), 0);  // mkdir did not follow it

    const std::string file = root.file("plainfile");
    WriteWholeFile(file, "x");
    EXPECT_NE(EnsurePrivateDirectory(file).find("フォルダではありません"), std::string::npos);

    const std::string missingParent = root.file("no/such/parent");
    EXPECT_NE(EnsurePrivateDirectory(missingParent), "");

    if (::geteuid() == 0) {
        const std::string foreign = root.file("foreign");
        ASSERT_EQ(::mkdir(foreign.c_str(), 0700), 0);
        ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
        EXPECT_NE(EnsurePrivateDirectory(foreign).find("他のユーザー"), std::string::npos);
    }
}

TEST(TempDir, ChoosesRuntimeDirThenTmpdirAndEndsInSeparator) {
    TempFolder runtime;
    TempFolder tmp;
    {
        EnvOverride xdg("XDG_RUNTIME_DIR", (runtime.path() + "/").c_str());
        EnvOverride tmpdir("TMPDIR", tmp.path().c_str());
        const TempPathResult dir = TempDirectory();
        ASSERT_TRUE(dir.ok()) << dir.error;
        EXPECT_EQ(dir.path, runtime.path() + "/quorvel/");
        const TempPathResult file = PreviewFilePath();
        ASSERT_TRUE(file.ok()) << file.error;
        EXPECT_EQ(file.path, runtime.path() + "/quorvel/Preview.htm");
    }
    {
        // A relative runtime directory is not trusted.
        EnvOverride xdg("XDG_RUNTIME_DIR", "relative/dir");
        EnvOverride tmpdir("TMPDIR", tmp.path().c_str());
        const std::string expected = tmp.path() + "/quorvel-" + std::to_string(::geteuid()) + "/";
        const TempPathResult dir = TempDirectory();
        ASSERT_TRUE(dir.ok()) << dir.error;
        EXPECT_EQ(dir.path, expected);
        EXPECT_EQ(LinkStat(expected).st_mode & 0777, 0700u);
        EXPECT_EQ(PreviewFilePath().path, expected + "Preview.htm");
    }
}

TEST(TempDir, PlantedLinkInSharedFolderGivesErrorNotPath) {
    TempFolder tmp;
    TempFolder victim;
    EnvOverride xdg("XDG_RUNTIME_DIR", nullptr);
    EnvOverride tmpdir("TMPDIR", tmp.path().c_str());
    const std::string planted = tmp.path() + "/quorvel-" + std::to_string(::geteuid());
    ASSERT_EQ(::symlink(victim.path().c_str(), planted.c_str()), 0);
    const TempPathResult file = PreviewFilePath();
    EXPECT_FALSE(file.ok());
    EXPECT_EQ(file.path, "");
    EXPECT_NE(file.error.find(planted), std::string::npos) << file.error;
}

#endif
