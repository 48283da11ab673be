// What the recovery store trusts: only its own private folder and its own copies. Whatever
// another user could have placed is neither offered nor deleted.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>

#include "TestUtil.h"
#include "store/RecoveryStore.h"

using namespace quorvel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

TDescriptionSheet Work(const std::string& title) {
    TDescriptionSheet sheet;
    sheet.Title.Text = title;
    return sheet;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A copy as a crashed editor leaves it; returns its id.
std::string LeaveCopy(const std::string& folder, const std::string& title) {
    std::vector<std::string> before = Names(folder);
    {
        RecoveryStore crashed(folder);
        EXPECT_TRUE(crashed.Write(Work(title), "/work/" + title + ".qvl"));
    }
    for (const std::string& name : Names(folder))
        if (name.ends_with(".qvr") && std::find(before.begin(), before.end(), name) == before.end())
            return name.substr(0, name.size() - 4);
    ADD_FAILURE() << "no copy left in " << folder;
    return {};
}

}  // namespace

TEST(RecoveryTrust, DamagedCopyIsMovedAsideOnceAndKept) {
    TempFolder temp;
    const std::string id = LeaveCopy(temp.path(), "bag");
    WriteWholeFile(temp.file(id + ".qvr"), "scribbled over");
    RecoveryStore store(temp.path());
    auto orphans = store.ListOrphans();
    ASSERT_EQ(orphans.size(), 1u);
    ASSERT_FALSE(store.Read(orphans[0]));
    const std::string aside = store.MoveAside(std::move(orphans[0]));
    EXPECT_EQ(fs::path(aside).filename().string(), id + ".qvr.damaged");
    EXPECT_EQ(ReadWholeFile(aside), "scribbled over");
    EXPECT_EQ(Names(temp.path()), std::vector<std::string>{id + ".qvr.damaged"});
    // Never listed again, and a later start does not touch it.
    EXPECT_TRUE(RecoveryStore(temp.path()).ListOrphans().empty());
    EXPECT_EQ(Names(temp.path()), std::vector<std::string>{id + ".qvr.damaged"});
}

TEST(RecoveryTrust, DecliningRemovesTheCopysTemporariesOnly) {
    TempFolder temp;
    const std::string declined = LeaveCopy(temp.path(), "declined");
    const std::string other = LeaveCopy(temp.path(), "other");
    // What killed writes of each copy left behind.
    WriteWholeFile(temp.file("." + declined + ".qvr.Ab12Cd"), "partial");
    WriteWholeFile(temp.file("." + other + ".qvr.Zz99Yy"), "partial");
    RecoveryStore store(temp.path());
    auto orphans = store.ListOrphans();
    ASSERT_EQ(orphans.size(), 2u);
    for (RecoveryCopy& copy : orphans)
        if (copy.File().find(declined) != std::string::npos) store.Delete(std::move(copy));
    orphans.clear();
    EXPECT_EQ(Names(temp.path()), (std::vector<std::string>{"." + other + ".qvr.Zz99Yy",
                                                            other + ".lock", other + ".qvr"}));
}

TEST(RecoveryTrust, CopyTellsWhenItWasWritten) {
    TempFolder temp;
    const auto before = std::time(nullptr);
    LeaveCopy(temp.path(), "timed");
    RecoveryStore store(temp.path());
    auto orphans = store.ListOrphans();
    ASSERT_EQ(orphans.size(), 1u);
    EXPECT_GE(orphans[0].WrittenAt(), before - 2);
    EXPECT_LE(orphans[0].WrittenAt(), std::time(nullptr) + 2);
}

#ifndef _WIN32
// A linked folder, one others may write and one of another user: nothing offered, nothing
// deleted, nothing written, and the reason is given.
TEST(RecoveryTrust, RefusedFoldersOfferNothingAndLoseNothing) {
    TempFolder temp;
    const std::string real = temp.file("real");
    ASSERT_EQ(::mkdir(real.c_str(), 0700), 0);
    LeaveCopy(real, "planted");
    const auto planted = Names(real);
    ASSERT_EQ(planted.size(), 2u);

    struct Case {
        std::string folder;
        const char* reason;
    };
    std::vector<Case> cases;
    const std::string link = temp.file("link");
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    cases.push_back({link, "シンボリックリンクです"});
    for (const mode_t mode : {0777, 0770, 0702}) {
        const std::string open = temp.file("open" + std::to_string(mode));
        fs::copy(real, open);
        ASSERT_EQ(::chmod(open.c_str(), mode), 0);
        cases.push_back({open, "他のユーザーも書き込めるフォルダです"});
    }
    if (geteuid() == 0) {
        const std::string foreign = temp.file("foreign");
        fs::copy(real, foreign);
        for (const std::string& name : Names(foreign))
            ASSERT_EQ(::chown((foreign + "/" + name).c_str(), kOrdinaryId, kOrdinaryId), 0);
        ASSERT_EQ(::chown(foreign.c_str(), kOrdinaryId, kOrdinaryId), 0);
        cases.push_back({foreign, "他のユーザーのフォルダです"});
    }
    for (const Case& refused : cases) {
        struct stat before {};
        ASSERT_EQ(::lstat(refused.folder.c_str(), &before), 0);
        RecoveryStore store(refused.folder);
        EXPECT_TRUE(store.ListOrphans().empty()) << refused.folder;
        EXPECT_EQ(store.FolderProblem(),
                  "復元用フォルダ " + refused.folder + " は使えません（" + refused.reason + "）");
        EXPECT_FALSE(store.Write(Work("new"), ""));
        EXPECT_FALSE(store.HasCopy());
        EXPECT_EQ(Names(refused.folder), planted) << refused.folder;
        struct stat after {};
        ASSERT_EQ(::lstat(refused.folder.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode) << refused.folder;
    }
    EXPECT_EQ(Names(real), planted);
}

// In a child that is not root, in its own folder: its copy is offered, the one root left there
// (another user's) is neither offered nor deleted, with or without a lock file beside it.
TEST(RecoveryTrust, CopiesOfAnotherUserAreNeitherOfferedNorDeleted) {
    if (geteuid() != 0) GTEST_SKIP() << "making another user's files needs root";
    TempFolder temp;
    ASSERT_EQ(::chmod(temp.path().c_str(), 0711), 0);
    const std::string folder = temp.file("recovery");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::string rootsCopy = LeaveCopy(folder, "roots");
    const std::string unlocked = LeaveCopy(folder, "unlocked");
    ASSERT_TRUE(fs::remove(folder + "/" + unlocked + ".lock"));
    ASSERT_EQ(::chown(folder.c_str(), kOrdinaryId, kOrdinaryId), 0);
    const auto foreign = Names(folder);

    const int code = RunInChildWithin(
        10s,
        [&] {
            const std::string own = LeaveCopy(folder, "mine");
            RecoveryStore store(folder);
            auto orphans = store.ListOrphans();
            if (!store.FolderProblem().empty()) return 2;
            if (orphans.size() != 1) return 3;
            const auto recovered = store.Read(orphans[0]);
            if (!recovered || recovered->sheet.Title.Text != "mine") return 4;
            store.Delete(std::move(orphans[0]));
            return Names(folder) == foreign ? 0 : 5;
        },
        true);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(Names(folder), foreign);
}
#endif
