// Opening and saving data files as a careful user would try them: files that are not files,
// links, permissions, long names and saves that were killed.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <csignal>

#include "platform/FileKeyStore.h"
#endif

#include <chrono>
#include <filesystem>
#include <set>

#include "TestUtil.h"
#include "platform/FileIo.h"
#include "sheet/HtmlGenerator.h"
#include "store/DataFile.h"

using namespace quorvel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

TDescriptionSheet SampleSheet(const char* title) {
    TDescriptionSheet sheet;
    sheet.Title.Text = title;
    sheet.Rows[2].Description.Text = Sj("説明①");
    return sheet;
}

std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

#ifndef _WIN32
mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// The load runs in a child so that an open that blocks fails the test instead of hanging it.
void ExpectRefusedAtOnce(const std::string& path) {
    const auto started = std::chrono::steady_clock::now();
    const int code = RunInChildWithin(5s, [&] {
        TDescriptionSheet sheet;
        sheet.Title.Text = "kept";
        const auto error = LoadDataFile(sheet, path);
        if (!error) return 1;
        if (error->message != "ファイル " + path + " は開けません") return 2;
        if (error->caption != "データ読み込み") return 3;
        return sheet.Title.Text == "kept" ? 0 : 4;
    });
    EXPECT_EQ(code, 0) << path << (code < 0 ? " did not return" : "");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s) << path;
}

std::string MakeSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    return path;
}
#else
// A load that does not return fails the test by the time-out of the whole run; the bound here
// catches one that waits a while.
void ExpectRefusedAtOnce(const std::string& path) {
    const auto started = std::chrono::steady_clock::now();
    TDescriptionSheet sheet;
    sheet.Title.Text = "kept";
    const auto error = LoadDataFile(sheet, path);
    ASSERT_TRUE(error) << path;
    EXPECT_EQ(error->message, "ファイル " + path + " は開けません");
    EXPECT_EQ(error->caption, "データ読み込み");
    EXPECT_EQ(sheet.Title.Text, "kept");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s) << path;
}
#endif

}  // namespace

#ifndef _WIN32

TEST(OpeningOnlyRegularFiles, FifoFolderDeviceAndSocketAreRefusedAtOnce) {
    TempFolder folder;
    const std::string fifo = folder.file("pipe.qvl");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ExpectRefusedAtOnce(fifo);
    ExpectRefusedAtOnce(folder.path());
    ExpectRefusedAtOnce("/dev/zero");
    ExpectRefusedAtOnce(MakeSocket(folder.file("s.qvl")));
    // A link to a FIFO is no better than the FIFO.
    const std::string link = folder.file("link.qvl");
    ASSERT_EQ(::symlink(fifo.c_str(), link.c_str()), 0);
    ExpectRefusedAtOnce(link);
}

#else
TEST(OpeningOnlyRegularFiles, FolderDeviceAndPipeAreRefusedAtOnce) {
    TempFolder folder;
    ExpectRefusedAtOnce(folder.path());
    ExpectRefusedAtOnce("NUL");
    // A named pipe with a server waiting: opening it would connect and then wait for data.
    const std::string pipe = "\\\\.\\pipe\\quorvel-test-" + std::to_string(GetCurrentProcessId());
    HANDLE server =
        CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 2, 512, 512, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    ExpectRefusedAtOnce(pipe);
    CloseHandle(server);
}
#endif

TEST(OpeningOnlyRegularFiles, HugeFileIsReadOnlyToItsImage) {
    TempFolder folder;
    const std::string path = folder.file("huge.qvl");
    WriteWholeFile(path, BuildDataImage(SampleSheet("huge")));
    // A sparse 4 GiB tail: reading it would take far longer than the bound below.
    std::error_code error;
    fs::resize_file(path, 4ULL << 30, error);
    ASSERT_FALSE(error) << error.message();
    const auto started = std::chrono::steady_clock::now();
    TDescriptionSheet sheet;
    ASSERT_FALSE(LoadDataFile(sheet, path));
    EXPECT_EQ(sheet.Title.Text, "huge");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
}

#ifndef _WIN32
TEST(OpeningOnlyRegularFiles, QvltagsRefusesAFifoAndAFolderAtOnce) {
    TempFolder folder;
    const std::string fifo = folder.file("pipe.qvl");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, folder.path()}) {
        const ProgramRun run = RunProgramWithin(5s, {QVLTAGS_PATH, path});
        EXPECT_EQ(run.status, 1) << path << (run.status < 0 ? " did not end" : "");
        EXPECT_TRUE(run.out.empty());
        EXPECT_NE(run.err.find("データ読み込み: ファイル " + path + " は開けません"),
                  std::string::npos)
            << run.err;
    }
}

#else
TEST(OpeningOnlyRegularFiles, QvltagsRefusesAFolder) {
    TempFolder folder;
    const ProgramRun run =
        RunCommand(ShellQuote(QvltagsPath()) + " " + ShellQuote(folder.path()), folder);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("データ読み込み: ファイル " + folder.path() + " は開けません"),
              std::string::npos)
        << run.err;
}
#endif

class SavingRespectsTheFile : public ::testing::Test {
  protected:
    TempFolder folder;
    std::string Load(const std::string& path) {
        TDescriptionSheet sheet;
        auto error = LoadDataFile(sheet, path);
        return error ? "error: " + error->message : sheet.Title.Text;
    }
};

#ifndef _WIN32
TEST_F(SavingRespectsTheFile, LinksAreFollowedAndStayLinks) {
    const std::string target = folder.file("real.qvl");
    ASSERT_FALSE(SaveDataFile(SampleSheet("old"), target));
    ASSERT_EQ(::mkdir(folder.file("links").c_str(), 0700), 0);
    // A relative link in another folder, and a link to that link.
    const std::string link = folder.file("links/via.qvl");
    ASSERT_EQ(::symlink("../real.qvl", link.c_str()), 0);
    const std::string chain = folder.file("chain.qvl");
    ASSERT_EQ(::symlink(link.c_str(), chain.c_str()), 0);

    ASSERT_FALSE(SaveDataFile(SampleSheet("through the link"), link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Load(target), "through the link");
    ASSERT_FALSE(SaveDataFile(SampleSheet("through the chain"), chain));
    EXPECT_TRUE(fs::is_symlink(chain));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Load(target), "through the chain");
    EXPECT_EQ(Entries(folder.path()), (std::set<std::string>{"real.qvl", "links", "chain.qvl"}));
    EXPECT_EQ(Entries(folder.file("links")), std::set<std::string>{"via.qvl"});

    // A dangling link creates the file it names.
    const std::string dangling = folder.file("new.qvl");
    ASSERT_EQ(::symlink("created.qvl", dangling.c_str()), 0);
    ASSERT_FALSE(SaveDataFile(SampleSheet("created"), dangling));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(Load(folder.file("created.qvl")), "created");

    // A loop of links is refused, and leaves nothing behind.
    const std::string loop = folder.file("loop.qvl");
    ASSERT_EQ(::symlink("loop.qvl", loop.c_str()), 0);
    const auto error = SaveDataFile(SampleSheet("x"), loop);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, "ファイル " + loop + " を作成できません");
    EXPECT_EQ(Entries(folder.path()).size(), 6u);
}

TEST_F(SavingRespectsTheFile, PermissionBitsAndOwnerAreKept) {
    const std::string path = folder.file("shared.qvl");
    ASSERT_FALSE(SaveDataFile(SampleSheet("old"), path));
    for (mode_t mode : {0640, 0604, 0600, 0666}) {
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        ASSERT_FALSE(SaveDataFile(SampleSheet("new"), path));
        EXPECT_EQ(ModeOf(path), mode);
    }
    // A new file gets the usual permissions, whatever mode the temporary was made with.
    const mode_t mask = ::umask(022);
    ASSERT_FALSE(SaveDataFile(SampleSheet("fresh"), folder.file("fresh.qvl")));
    ::umask(mask);
    EXPECT_EQ(ModeOf(folder.file("fresh.qvl")), 0644u);

    if (::geteuid() != 0) GTEST_SKIP() << "owner cases need root";
    ASSERT_EQ(::chown(path.c_str(), kOrdinaryId, kOrdinaryId), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_FALSE(SaveDataFile(SampleSheet("owned"), path));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, kOrdinaryId);
    EXPECT_EQ(info.st_gid, kOrdinaryId);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(Load(path), "owned");
}

TEST_F(SavingRespectsTheFile, ReadOnlyFileIsRefusedAndNothingChanges) {
    // The folder is the ordinary user's, so only the file's own bits can stop the save.
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
    const std::string path = folder.file("frozen.qvl");
    ASSERT_FALSE(SaveDataFile(SampleSheet("frozen"), path));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), kOrdinaryId, kOrdinaryId), 0);
    }
    const std::string before = ReadWholeFile(path);

    const int code = RunInChildWithin(
        10s,
        [&] {
            const auto error = SaveDataFile(SampleSheet("changed"), path);
            if (!error) return 1;
            if (error->message != "ファイル " + path + " を作成できません") return 2;
            return error->caption == "データ保存" ? 0 : 3;
        },
        true);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadWholeFile(path), before);
    EXPECT_EQ(ModeOf(path), 0444u);
    EXPECT_EQ(Entries(folder.path()), std::set<std::string>{"frozen.qvl"});
}

TEST_F(SavingRespectsTheFile, ReadOnlySettingsFileIsNotReplaced) {
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
    const std::string root = folder.file("Merrow");
    ASSERT_EQ(::mkdir(root.c_str(), 0777), 0);
    const std::string path = root + "/Quorvel.conf";
    WriteWholeFile(path, "ParamExist=dword:1\n");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), kOrdinaryId, kOrdinaryId), 0);
    }

    const int code = RunInChildWithin(
        10s,
        [&] {
            FileKeyStore store("", root);
            auto key = store.Open(false);
            if (!key) return 1;
            key->WriteDword("Left", 5);
            return key->Commit() ? 2 : 0;
        },
        true);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadWholeFile(path), "ParamExist=dword:1\n");
    EXPECT_EQ(Entries(root), std::set<std::string>{"Quorvel.conf"});
}

TEST_F(SavingRespectsTheFile, SettingsFileThroughALinkStaysALink) {
    const std::string root = folder.file("Merrow");
    ASSERT_EQ(::mkdir(root.c_str(), 0700), 0);
    const std::string real = folder.file("kept.conf");
    WriteWholeFile(real, "ParamExist=dword:1\n");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(::symlink(real.c_str(), (root + "/Quorvel.conf").c_str()), 0);
    {
        FileKeyStore store("", root);
        auto key = store.Open(true);
        ASSERT_TRUE(key);
        key->WriteDword("Left", 7);
        ASSERT_TRUE(key->Commit());
    }
    EXPECT_TRUE(fs::is_symlink(root + "/Quorvel.conf"));
    EXPECT_EQ(ReadWholeFile(real), "ParamExist=dword:1\nLeft=dword:7\n");
    EXPECT_EQ(ModeOf(real), 0640u);
}

#else
TEST_F(SavingRespectsTheFile, ReadOnlyFileIsRefusedAndNothingChanges) {
    const std::string path = folder.file("frozen.qvl");
    ASSERT_FALSE(SaveDataFile(SampleSheet("frozen"), path));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string before = ReadWholeFile(path);

    const auto error = SaveDataFile(SampleSheet("changed"), path);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, "ファイル " + path + " を作成できません");
    EXPECT_EQ(error->caption, "データ保存");
    EXPECT_EQ(ReadWholeFile(path), before);
    EXPECT_EQ(Load(path), "frozen");
    EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Entries(folder.path()), std::set<std::string>{"frozen.qvl"});
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SavingRespectsTheFile, AFolderIsNotReplaced) {
    const std::string path = folder.file("folder.qvl");
    ASSERT_TRUE(fs::create_directory(path));
    const auto error = SaveDataFile(SampleSheet("x"), path);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, "ファイル " + path + " を作成できません");
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(Entries(folder.path()), std::set<std::string>{"folder.qvl"});
}
#endif

TEST_F(SavingRespectsTheFile, AnyNameTheFileSystemTakesCanBeSaved) {
    const std::string name = std::string(246, 'n') + ".qvl";  // 250 bytes
    const std::string path = folder.file(name);
    ASSERT_FALSE(SaveDataFile(SampleSheet("long"), path));
    ASSERT_FALSE(SaveDataFile(SampleSheet("longer"), path));
    EXPECT_EQ(Load(path), "longer");
    EXPECT_EQ(Entries(folder.path()), std::set<std::string>{name});
    // 255 bytes is the limit itself.
    const std::string longest = std::string(251, 'm') + ".qvl";
    ASSERT_FALSE(SaveDataFile(SampleSheet("longest"), folder.file(longest)));
    EXPECT_EQ(Load(folder.file(longest)), "longest");
}

TEST_F(SavingRespectsTheFile, TemporariesOfAKilledSaveAreSweptByTheNextSave) {
    const std::string path = folder.file("bag.qvl");
    // A save killed between writing its temporary and putting it in place.
#ifndef _WIN32
    const int killed = RunInChildWithin(5s, [&] {
        const std::string temporary = folder.file(".qvlK1lld0");
        WriteWholeFile(temporary, BuildDataImage(SampleSheet("half")));
        ::raise(SIGKILL);
        return 0;
    });
    EXPECT_EQ(killed, -1);
#else
    WriteWholeFile(folder.file(".qvlK1lld0"), BuildDataImage(SampleSheet("half")));
#endif
    ASSERT_TRUE(fs::exists(folder.file(".qvlK1lld0")));
    const std::string fresh = folder.file(".qvlFresh1");  // a save that may still be running
    const std::string other = folder.file(".qvlnotours");
    WriteWholeFile(fresh, "x");
    WriteWholeFile(other, "x");
    const auto twoHoursAgo = fs::file_time_type::clock::now() - 2h;
    for (const auto& name : {".qvlK1lld0", ".qvlnotours"})
        fs::last_write_time(folder.file(name), twoHoursAgo);

    ASSERT_FALSE(SaveDataFile(SampleSheet("after"), path));
    EXPECT_EQ(Entries(folder.path()),
              (std::set<std::string>{"bag.qvl", ".qvlFresh1", ".qvlnotours"}));
    EXPECT_EQ(Load(path), "after");
}

TEST(SaveTemporaryNames, OnlyTheProgramsOwnPattern) {
    EXPECT_TRUE(fileio::IsSaveTemporaryName(".qvlAb12Zz"));
    EXPECT_FALSE(fileio::IsSaveTemporaryName(".qvlAb12Z"));
    EXPECT_FALSE(fileio::IsSaveTemporaryName(".qvlAb12Zzz"));
    EXPECT_FALSE(fileio::IsSaveTemporaryName(".qvlAb.2Zz"));
    EXPECT_FALSE(fileio::IsSaveTemporaryName("xqvlAb12Zz"));
    EXPECT_FALSE(fileio::IsSaveTemporaryName("bag.qvl"));
}
