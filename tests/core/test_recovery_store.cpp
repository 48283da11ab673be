// Recovery copies on real files, with real locks and real processes.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>

#include "TestUtil.h"
#include "store/DataFile.h"
#include "store/RecoveryStore.h"

using namespace quorvel;

namespace {

TDescriptionSheet WorkInProgress(const std::string& title) {
    TDescriptionSheet sheet;
    sheet.Title.Text = title;
    sheet.Rows[2].Description.Text = Sj("状態：美品\r\n付属品：箱①");
    sheet.Rows[2].Description.Format = {0x0000FF, 14,         true,          false,
                                        true,     0x00CCFFFF, kHAlignCenter, kVAlignBottom};
    sheet.Rows[4].IncludeItem = false;
    sheet.Style = {kAlignRight, 3, 0x00123456, false, 5, kAlignCenter};
    return sheet;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> NamesEndingIn(const std::string& folder, const std::string& ending) {
    std::vector<std::string> names;
    for (const std::string& name : Names(folder))
        if (name.size() > ending.size() && name.ends_with(ending)) names.push_back(name);
    return names;
}

#ifndef _WIN32
unsigned ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}
#endif

// Leaves a copy behind as a crashed process would: written, never removed, lock gone.
std::string LeaveCopy(const std::string& folder, const TDescriptionSheet& sheet,
                      const std::string& fileName) {
    const auto before = NamesEndingIn(folder, ".qvr");
    RecoveryStore crashed(folder);
    EXPECT_TRUE(crashed.Write(sheet, fileName));
    for (const std::string& name : NamesEndingIn(folder, ".qvr"))
        if (std::find(before.begin(), before.end(), name) == before.end())
            return folder + "/" + name;
    ADD_FAILURE() << "no new copy in " << folder;
    return {};
}

// Sets the last write to `seconds` after a fixed moment a day ago.
void SetLastWrite(const std::string& path, long long seconds) {
    static const auto base = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
    std::error_code error;
    std::filesystem::last_write_time(path, base + std::chrono::seconds(seconds), error);
    ASSERT_FALSE(error) << path;
}

#ifndef _WIN32
// A child process that writes its own copy and then waits to be killed.
pid_t ChildWithLiveCopy(const std::string& folder, const TDescriptionSheet& sheet,
                        const std::string& fileName) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        close(ready[0]);
        RecoveryStore store(folder);
        const char answer = store.Write(sheet, fileName) ? 'y' : 'n';
        if (write(ready[1], &answer, 1) != 1) _exit(1);
        for (;;) pause();
    }
    close(ready[1]);
    char answer = 0;
    const bool ok = read(ready[0], &answer, 1) == 1 && answer == 'y';
    close(ready[0]);
    if (!ok && pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}
#endif

}  // namespace

TEST(RecoveryCopyContents, RoundTripKeepsSheetPathAndMarksTextAsUnsaved) {
    TempFolder temp;
    const std::string folder = temp.file("recovery");
    const TDescriptionSheet sheet = WorkInProgress(Sj("ｶﾒﾗ 出品"));
    const std::string fileName = Sj("/home/seller/出品/カメラ.qvl");
    LeaveCopy(folder, sheet, fileName);

    RecoveryStore next(folder);
    auto orphans = next.ListOrphans();
    ASSERT_EQ(orphans.size(), 1u);
    const auto recovered = next.Read(orphans[0]);
    ASSERT_TRUE(recovered);
    EXPECT_EQ(recovered->fileName, fileName);
    EXPECT_EQ(BuildDataImage(recovered->sheet), BuildDataImage(sheet));
    EXPECT_TRUE(recovered->sheet.Title.Modified);
    EXPECT_TRUE(recovered->sheet.Rows[2].Description.Modified);
    EXPECT_FALSE(recovered->sheet.Rows[0].Item.Modified);
    EXPECT_FALSE(recovered->sheet.Note.Modified);
}

TEST(RecoveryCopyContents, UntitledSheetAndLaterWritesReplaceTheOneCopy) {
    TempFolder temp;
    {
        RecoveryStore store(temp.path());
        ASSERT_TRUE(store.Write(WorkInProgress("first"), ""));
        ASSERT_TRUE(store.Write(WorkInProgress("second"), ""));
        EXPECT_EQ(NamesEndingIn(temp.path(), ".qvr").size(), 1u);
        // Nothing but the copy and its lock: no temporary files stay behind.
        EXPECT_EQ(Names(temp.path()).size(), 2u);
    }
    RecoveryStore next(temp.path());
    auto orphans = next.ListOrphans();
    ASSERT_EQ(orphans.size(), 1u);
    const auto recovered = next.Read(orphans[0]);
    ASSERT_TRUE(recovered);
    EXPECT_EQ(recovered->fileName, "");
    EXPECT_EQ(recovered->sheet.Title.Text, "second");
}

TEST(RecoveryFolder, CreatedPrivateWithPrivateFiles) {
    TempFolder temp;
    const std::string folder = temp.file("state/Merrow/Quorvel/recovery");
    RecoveryStore store(folder);
    ASSERT_TRUE(store.Write(WorkInProgress("x"), "/a.qvl"));
    const auto names = Names(folder);
    ASSERT_EQ(names.size(), 2u);
#ifndef _WIN32
    EXPECT_EQ(ModeOf(folder), 0700u);
    EXPECT_EQ(ModeOf(temp.file("state")), 0700u);
    for (const auto& name : names) EXPECT_EQ(ModeOf(folder + "/" + name), 0600u) << name;
#endif
}

TEST(RecoveryFolder, AFileInThePlaceOfTheFolderFailsTheWrite) {
    TempFolder temp;
    WriteWholeFile(temp.file("plain"), "not a folder");
    RecoveryStore blocked(temp.file("plain"));
    EXPECT_FALSE(blocked.Write(WorkInProgress("x"), ""));
    EXPECT_FALSE(blocked.HasCopy());
    EXPECT_TRUE(blocked.ListOrphans().empty());
    EXPECT_EQ(ReadWholeFile(temp.file("plain")), "not a folder");
}

#ifndef _WIN32
// Others may read but not write: nothing can have been planted, so the folder is closed and used.
// A folder others may write is refused (see test_recovery_trust.cpp).
TEST(RecoveryFolder, FolderOthersMayReadIsClosed) {
    TempFolder temp;
    const std::string open = temp.file("open");
    ASSERT_EQ(::mkdir(open.c_str(), 0755), 0);
    ::chmod(open.c_str(), 0755);
    RecoveryStore store(open);
    ASSERT_TRUE(store.Write(WorkInProgress("x"), ""));
    EXPECT_EQ(ModeOf(open), 0700u);
    EXPECT_EQ(store.FolderProblem(), "");
}

TEST(RecoveryFolder, DefaultFollowsXdgStateHome) {
    const char* old = std::getenv("XDG_STATE_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_STATE_HOME", "/somewhere/state", 1);
    EXPECT_EQ(RecoveryStore::DefaultFolder(), "/somewhere/state/Merrow/Quorvel/recovery");
    setenv("XDG_STATE_HOME", "relative/state", 1);  // not absolute: ignored
    const std::string fallback = RecoveryStore::DefaultFolder();
    EXPECT_TRUE(fallback.ends_with("/.local/state/Merrow/Quorvel/recovery")) << fallback;
    if (old)
        setenv("XDG_STATE_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_STATE_HOME");
}
#else
TEST(RecoveryFolder, DefaultIsInTheLocalApplicationData) {
    {
        ScopedEnv local("LOCALAPPDATA", "C:\\Users\\seller2\\AppData\\Local\\");
        EXPECT_EQ(RecoveryStore::DefaultFolder(),
                  "C:\\Users\\seller2\\AppData\\Local\\Merrow\\Quorvel\\recovery");
    }
    ScopedEnv local("LOCALAPPDATA", std::nullopt);
    ScopedEnv profile("USERPROFILE", "C:\\Users\\seller");
    EXPECT_EQ(RecoveryStore::DefaultFolder(),
              "C:\\Users\\seller\\AppData\\Local\\Merrow\\Quorvel\\recovery");
}
#endif

TEST(RecoveryOwnCopy, RemoveDeletesItAndTheNextWriteStartsAnother) {
    TempFolder temp;
    RecoveryStore store(temp.path());
    ASSERT_TRUE(store.Write(WorkInProgress("x"), ""));
    const auto first = NamesEndingIn(temp.path(), ".qvr");
    EXPECT_TRUE(store.HasCopy());
    store.Remove();
    EXPECT_FALSE(store.HasCopy());
    EXPECT_TRUE(Names(temp.path()).empty());
    store.Remove();  // nothing left to remove

    ASSERT_TRUE(store.Write(WorkInProgress("y"), ""));
    const auto second = NamesEndingIn(temp.path(), ".qvr");
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NE(second, first);
}

TEST(RecoveryOrphans, NewestFirstByLastWrite) {
    TempFolder temp;
    const std::string a = LeaveCopy(temp.path(), WorkInProgress("a"), "/a.qvl");
    const std::string b = LeaveCopy(temp.path(), WorkInProgress("b"), "/b.qvl");
    const std::string c = LeaveCopy(temp.path(), WorkInProgress("c"), "/c.qvl");
    ASSERT_EQ(NamesEndingIn(temp.path(), ".qvr").size(), 3u);
    SetLastWrite(a, 100);
    SetLastWrite(b, 300);
    SetLastWrite(c, 200);

    RecoveryStore store(temp.path());
    auto orphans = store.ListOrphans();
    ASSERT_EQ(orphans.size(), 3u);
    std::vector<std::string> order;
    for (const auto& orphan : orphans) order.push_back(store.Read(orphan)->fileName);
    EXPECT_EQ(order, (std::vector<std::string>{"/b.qvl", "/c.qvl", "/a.qvl"}));
}

TEST(RecoveryOrphans, LiveCopiesAndCopiesBeingOfferedAreNotOrphans) {
    TempFolder temp;
    auto alive = std::make_unique<RecoveryStore>(temp.path());
    ASSERT_TRUE(alive->Write(WorkInProgress("alive"), ""));
    RecoveryStore other(temp.path());
    EXPECT_TRUE(other.ListOrphans().empty());
    EXPECT_TRUE(alive->ListOrphans().empty());  // its own copy is not a crashed one

    alive.reset();  // gone without removing: a crash as far as the folder can tell
    auto offered = other.ListOrphans();
    ASSERT_EQ(offered.size(), 1u);
    // A second instance starting meanwhile does not offer the same copy again.
    RecoveryStore third(temp.path());
    EXPECT_TRUE(third.ListOrphans().empty());
    offered.clear();  // not answered: stays for a later start
    EXPECT_EQ(third.ListOrphans().size(), 1u);
}

#ifndef _WIN32
TEST(RecoveryOrphans, CopyOfAnotherProcessBecomesAnOrphanOnlyWhenItIsKilled) {
    TempFolder temp;
    const pid_t child = ChildWithLiveCopy(temp.path(), WorkInProgress("child"), "/child.qvl");
    ASSERT_GT(child, 0);
    RecoveryStore store(temp.path());
    EXPECT_TRUE(store.ListOrphans().empty());
    EXPECT_EQ(NamesEndingIn(temp.path(), ".qvr").size(), 1u);

    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    auto orphans = store.ListOrphans();
    ASSERT_EQ(orphans.size(), 1u);
    const auto recovered = store.Read(orphans[0]);
    ASSERT_TRUE(recovered);
    EXPECT_EQ(recovered->fileName, "/child.qvl");
    EXPECT_EQ(recovered->sheet.Title.Text, "child");
}
#endif

TEST(RecoveryOrphans, DamagedCopiesReadAsNothingAndDeleteCleanly) {
    TempFolder temp;
    const std::string valid = EncodeRecoveryCopy(WorkInProgress("x"), "/some/file.qvl");
    std::string wrongMagic = valid;
    wrongMagic[3] ^= 0x20;
    std::string flipped = valid;
    flipped[valid.size() - 100] ^= 0x01;  // inside the image: caught by the checksum
    std::string longerPath = valid;
    longerPath[20] = static_cast<char>(valid[20] + 5);  // claims more path than is there
    std::string newerVersion = valid;
    newerVersion[16] = 2;
    const std::vector<std::string> damaged = {
        "",
        valid.substr(0, 10),
        valid.substr(0, 28 + 5),  // cut inside the path
        valid.substr(0, valid.size() - 1),
        valid + "x",
        wrongMagic,
        flipped,
        longerPath,
        newerVersion,
    };
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        const std::string file = LeaveCopy(temp.path(), WorkInProgress("x"), "/some/file.qvl");
        WriteWholeFile(file, damaged[i]);
        SetLastWrite(file, static_cast<long long>(i));
    }
    // Files the store did not make are never touched.
    WriteWholeFile(temp.file("notes.txt"), "mine");
    WriteWholeFile(temp.file("notes.lock"), "mine");

    RecoveryStore store(temp.path());
    auto orphans = store.ListOrphans();
    ASSERT_EQ(orphans.size(), damaged.size());
    for (std::size_t i = 0; i < orphans.size(); ++i) {
        EXPECT_FALSE(store.Read(orphans[i])) << "damaged copy " << damaged.size() - 1 - i;
        store.Delete(std::move(orphans[i]));
    }
    EXPECT_EQ(Names(temp.path()), (std::vector<std::string>{"notes.lock", "notes.txt"}));
    EXPECT_TRUE(DecodeRecoveryCopy(valid));  // the baseline itself was sound
}

TEST(RecoveryOrphans, LeftoversOfACrashBeforeTheFirstWriteAreSweptAway) {
    TempFolder temp;
    // A marker with no copy, and a temporary file of a write cut short.
    WriteWholeFile(temp.file("0123456789abcdef.lock"), "");
    WriteWholeFile(temp.file(".0123456789abcdef.qvr.Ab12Cd"), "partial");
    RecoveryStore store(temp.path());
    EXPECT_TRUE(store.ListOrphans().empty());
    EXPECT_TRUE(Names(temp.path()).empty());
}

TEST(RecoveryAdopt, AdoptedCopyBecomesOwnAndLaterWritesReplaceIt) {
    TempFolder temp;
    const std::string file = LeaveCopy(temp.path(), WorkInProgress("before"), "/doc.qvl");
    auto adopter = std::make_unique<RecoveryStore>(temp.path());
    auto orphans = adopter->ListOrphans();
    ASSERT_EQ(orphans.size(), 1u);
    adopter->Adopt(std::move(orphans[0]));
    EXPECT_TRUE(adopter->HasCopy());

    ASSERT_TRUE(adopter->Write(WorkInProgress("after"), "/doc.qvl"));
    EXPECT_EQ(NamesEndingIn(temp.path(), ".qvr"),
              std::vector<std::string>{std::filesystem::path(file).filename().string()});
    RecoveryStore observer(temp.path());
    EXPECT_TRUE(observer.ListOrphans().empty());  // held by the adopter

    adopter.reset();
    auto left = observer.ListOrphans();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(observer.Read(left[0])->sheet.Title.Text, "after");
}

TEST(RecoveryAdopt, AdoptingReplacesAnEarlierOwnCopyAndRemoveDeletesTheAdoptedOne) {
    TempFolder temp;
    LeaveCopy(temp.path(), WorkInProgress("crashed"), "");
    RecoveryStore store(temp.path());
    auto orphans = store.ListOrphans();
    ASSERT_EQ(orphans.size(), 1u);
    ASSERT_TRUE(store.Write(WorkInProgress("own"), ""));
    ASSERT_EQ(NamesEndingIn(temp.path(), ".qvr").size(), 2u);
    store.Adopt(std::move(orphans[0]));
    EXPECT_EQ(NamesEndingIn(temp.path(), ".qvr").size(), 1u);
    store.Remove();
    EXPECT_TRUE(Names(temp.path()).empty());
}
