// These cases drive the POSIX stores with real files, processes and permissions.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <random>

#include "TestUtil.h"
#include "platform/FileKeyStore.h"

using namespace quorvel;
namespace fs = std::filesystem;

namespace {

// Runs `body` in a child process as an ordinary user (root can write anywhere, so permission
// cases need one) and returns its exit code; 0 means the body's checks held.
int RunAsOrdinaryUser(const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(90);
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

// Runs `body` in a child process whose files may not grow beyond `limit` bytes.
int RunWithFileSizeLimit(rlim_t limit, const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit rl{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(90);
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    return names;
}

struct Roots {
    TempFolder temp;
    std::string system = temp.file("system");
    std::string user = temp.file("user/Merrow");
    std::string systemFile() const { return system + "/Quorvel.conf"; }
    std::string userFile() const { return user + "/Quorvel.conf"; }
    FileKeyStore store() const { return FileKeyStore(system, user); }
};

}  // namespace

TEST(FileKeyStore, OpenWithoutCreateFindsNothingAndCreatesNothing) {
    Roots roots;
    auto store = roots.store();
    EXPECT_EQ(store.Open(false), nullptr);
    EXPECT_FALSE(fs::exists(roots.user));
    EXPECT_FALSE(fs::exists(roots.system));
}

TEST(FileKeyStore, CreateGoesToAPrivateUserFolderWhenNoSystemRoot) {
    Roots roots;
    auto store = roots.store();
    {
        auto key = store.Open(true);
        ASSERT_NE(key, nullptr);
        key->WriteDword("Left", 120);
        key->WriteString("EditAddress", Sj("http://例え.jp/a\\b"));
    }
    EXPECT_FALSE(fs::exists(roots.system));
    struct stat info {};
    ASSERT_EQ(stat(roots.user.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(ReadWholeFile(roots.userFile()),
              "Left=dword:120\nEditAddress=sz:http://例え.jp/a\\\\b\n");

    auto key = store.Open(false);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->ReadDword("Left"), 120u);
    EXPECT_EQ(key->ReadString("EditAddress"), Sj("http://例え.jp/a\\b"));
    EXPECT_TRUE(key->Exists("EditAddress"));
    EXPECT_FALSE(key->Exists("Top"));
}

TEST(FileKeyStore, SystemRootIsUsedAndWrittenWhenItHoldsTheKey) {
    Roots roots;
    fs::create_directories(roots.system);
    fs::create_directories(roots.user);
    WriteWholeFile(roots.systemFile(), "Left=dword:1\n");
    WriteWholeFile(roots.userFile(), "Left=dword:2\n");
    auto store = roots.store();
    {
        auto key = store.Open(false);
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key->ReadDword("Left"), 1u);
    }
    {
        auto key = store.Open(true);
        ASSERT_NE(key, nullptr);
        key->WriteDword("Top", 5);
        EXPECT_TRUE(key->Commit());
    }
    EXPECT_EQ(ReadWholeFile(roots.systemFile()), "Left=dword:1\nTop=dword:5\n");
    EXPECT_EQ(ReadWholeFile(roots.userFile()), "Left=dword:2\n");
}

TEST(FileKeyStore, AnExistingWritableSystemFolderTakesANewKey) {
    Roots roots;
    fs::create_directories(roots.system);
    auto store = roots.store();
    {
        auto key = store.Open(true);
        ASSERT_NE(key, nullptr);
        key->WriteDword("Left", 3);
    }
    EXPECT_EQ(ReadWholeFile(roots.systemFile()), "Left=dword:3\n");
    EXPECT_FALSE(fs::exists(roots.user));
}

TEST(FileKeyStore, ReadOnlySystemRootFallsBackToTheUserRoot) {
    Roots roots;
    fs::create_directories(roots.system);
    fs::create_directories(roots.user);
    WriteWholeFile(roots.systemFile(), "Left=dword:1\n");
    WriteWholeFile(roots.userFile(), "Left=dword:2\n");
    chmod(roots.temp.path().c_str(), 0755);
    chmod(roots.system.c_str(), 0755);
    chmod(roots.systemFile().c_str(), 0644);
    chmod(fs::path(roots.user).parent_path().c_str(), 0777);
    chmod(roots.user.c_str(), 0777);
    chmod(roots.userFile().c_str(), 0666);
    if (geteuid() != 0) chmod(roots.system.c_str(), 0555);

    int result = RunAsOrdinaryUser([&] {
        auto store = roots.store();
        {
            auto key = store.Open(false);
            if (!key) return 1;
            if (key->ReadDword("Left") != 2u) return 2;
        }
        auto key = store.Open(true);
        if (!key) return 3;
        key->WriteDword("Top", 9);
        return key->Commit() ? 0 : 4;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadWholeFile(roots.systemFile()), "Left=dword:1\n");
    EXPECT_EQ(ReadWholeFile(roots.userFile()), "Left=dword:2\nTop=dword:9\n");
}

TEST(FileKeyStore, UnusableRootsGiveNoKey) {
    TempFolder temp;
    WriteWholeFile(temp.file("plain"), "x");
    // A user root below a plain file can never be made.
    FileKeyStore store(temp.file("missing"), temp.file("plain") + "/Merrow");
    EXPECT_EQ(store.Open(true), nullptr);
    EXPECT_EQ(store.Open(false), nullptr);
    EXPECT_FALSE(fs::exists(temp.file("missing")));

    // A key "file" that is a folder is no key.
    fs::create_directories(temp.file("odd/Quorvel.conf"));
    FileKeyStore odd("", temp.file("odd"));
    EXPECT_EQ(odd.Open(false), nullptr);
    EXPECT_EQ(odd.Open(true), nullptr);
}

TEST(FileKeyStore, ValueOfAnotherTypeReadsAsAbsent) {
    Roots roots;
    fs::create_directories(roots.user);
    WriteWholeFile(roots.userFile(), "Left=sz:120\nTop=dword:7\nEditAddress=dword:1\n");
    auto key = roots.store().Open(false);
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->Exists("Left"));
    EXPECT_EQ(key->ReadDword("Left"), std::nullopt);
    EXPECT_EQ(key->ReadString("Left"), "120");
    EXPECT_EQ(key->ReadDword("Top"), 7u);
    EXPECT_EQ(key->ReadString("EditAddress"), std::nullopt);
}

TEST(FileKeyStore, DamagedFileIsReadAsFarAsItMakesSenseAndReplacedOnWrite) {
    Roots roots;
    fs::create_directories(roots.user);
    std::string damaged =
        "\xEF\xBB\xBF"
        "Left=dword:10\r\n"
        "garbage without equals\n"
        "=dword:5\n"
        "# a comment\n"
        "Top=dword:-3\n"
        "Width=dword:4294967296\n"
        "Height=dword:4294967295\n"
        "Pv_Left=dword:12x\n"
        "Pv_Top=qword:1\n"
        "EditAddress=sz:bad\\q escape\n"
        "EditSubject=sz:ok\n"
        "left=dword:11\n" +
        std::string("\0\xFF\xFE junk \x01\n", 12) + "Pv_Width=dwo";  // cut short
    WriteWholeFile(roots.userFile(), damaged);
    auto store = roots.store();
    {
        auto key = store.Open(true);
        ASSERT_NE(key, nullptr);
        // Names ignore case; the later of two wins.
        EXPECT_EQ(key->ReadDword("Left"), 11u);
        for (const char* name : {"Top", "Width", "Pv_Left", "Pv_Top", "EditAddress", "Pv_Width"})
            EXPECT_FALSE(key->Exists(name)) << name;
        EXPECT_EQ(key->ReadDword("Height"), 0xFFFFFFFFu);
        EXPECT_EQ(key->ReadString("EditSubject"), "ok");
        key->WriteDword("Top", 4);
    }
    EXPECT_EQ(ReadWholeFile(roots.userFile()),
              "left=dword:11\nHeight=dword:4294967295\nEditSubject=sz:ok\nTop=dword:4\n");
}

TEST(FileKeyStore, RandomGarbageNeverBreaksReading) {
    Roots roots;
    fs::create_directories(roots.user);
    std::mt19937 random(11);
    const std::string alphabet = "=:\\\nLeftdwordsz0123456789x\r#\xFF\x82";
    for (int round = 0; round < 300; ++round) {
        std::string bytes(random() % 200, '\0');
        for (char& c : bytes) c = alphabet[random() % alphabet.size()];
        WriteWholeFile(roots.userFile(), bytes);
        auto key = roots.store().Open(false);
        ASSERT_NE(key, nullptr);
        (void)key->ReadDword("Left");
        (void)key->ReadString("Left");
    }
}

TEST(FileKeyStore, WritesOnlyOnCommitOrCloseAndOnlyWhenChanged) {
    Roots roots;
    fs::create_directories(roots.user);
    const std::string original = "Left=dword:1\nnot a value\n";
    WriteWholeFile(roots.userFile(), original);
    auto store = roots.store();
    {
        auto key = store.Open(true);
        ASSERT_NE(key, nullptr);
        EXPECT_TRUE(key->Commit());
        key->WriteDword("Left", 2);
        key->WriteDword("Top", 3);
        key->WriteDword("LEFT", 4);
        // Nothing reaches the file before the handle commits or closes.
        EXPECT_EQ(ReadWholeFile(roots.userFile()), original);
    }
    // A rewritten value moves to the end: the file shows the last write order.
    EXPECT_EQ(ReadWholeFile(roots.userFile()), "Top=dword:3\nLEFT=dword:4\n");
    EXPECT_EQ(FolderEntries(roots.user), std::vector<std::string>{"Quorvel.conf"});
}

TEST(FileKeyStore, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    Roots roots;
    fs::create_directories(roots.user);
    const std::string original = "Left=dword:1\n";
    WriteWholeFile(roots.userFile(), original);
    int result = RunWithFileSizeLimit(8, [&] {
        auto key = roots.store().Open(true);
        if (!key) return 1;
        key->WriteString("EditAddress", std::string(100, 'a'));
        return key->Commit() ? 2 : 0;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadWholeFile(roots.userFile()), original);
    EXPECT_EQ(FolderEntries(roots.user), std::vector<std::string>{"Quorvel.conf"});
}

TEST(FileKeyStore, ReadOnlyUserFolderIsReadButNotWritten) {
    Roots roots;
    fs::create_directories(roots.user);
    WriteWholeFile(roots.userFile(), "Left=dword:1\n");
    chmod(roots.temp.path().c_str(), 0755);
    chmod(fs::path(roots.user).parent_path().c_str(), 0755);
    chmod(roots.user.c_str(), 0555);
    chmod(roots.userFile().c_str(), 0644);
    int result = RunAsOrdinaryUser([&] {
        auto store = roots.store();
        auto reader = store.Open(false);
        if (!reader || reader->ReadDword("Left") != 1u) return 1;
        return store.Open(true) == nullptr ? 0 : 2;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadWholeFile(roots.userFile()), "Left=dword:1\n");
}

#endif
