#include "platform/PrivateFolder.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>

#include "platform/FileNames.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/TempDir.h"
#endif

namespace quorvel {

namespace {

std::string Refused(std::string_view folderName, const std::string& path, const char* why) {
    return std::string(folderName) + " " + path + " は使えません（" + why + "）";
}

}  // namespace

#ifdef _WIN32

namespace {

std::string Env(const wchar_t* name) {
    return filenames::PathFromEnvironment(name);
}

}  // namespace

std::string UserStateFolder() {
    std::string folder = Env(L"LOCALAPPDATA");
    if (folder.empty()) {
        const std::string profile = Env(L"USERPROFILE");
        if (profile.empty()) return {};
        folder = profile + "\\AppData\\Local";
    }
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder;
}

char PathSeparator() {
    return '\\';
}

PrivateFolderCheck CheckPrivateFolder(const std::string& path, std::string_view folderName) {
    PrivateFolderCheck check;
    const std::wstring wide = filenames::WidePath(path);
    const DWORD attributes =
        wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return check;
    check.exists = true;
    // The local application-data folder is already closed to other users by its access list;
    // new folders inherit it. A link could lead anywhere.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        check.problem = Refused(folderName, path, "リンクです");
    else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        check.problem = Refused(folderName, path, "フォルダではありません");
    return check;
}

PrivateFolderCheck MakePrivateFolder(const std::string& path, std::string_view folderName) {
    if (path.empty()) return {false, Refused(folderName, path, "場所がありません")};
    const std::wstring wide = filenames::WidePath(path);
    for (std::size_t at = wide.find_first_of(L"\\/", 3); at != std::wstring::npos;
         at = wide.find_first_of(L"\\/", at + 1))
        CreateDirectoryW(wide.substr(0, at).c_str(), nullptr);
    if (!wide.empty()) CreateDirectoryW(wide.c_str(), nullptr);
    PrivateFolderCheck check = CheckPrivateFolder(path, folderName);
    if (!check.exists) check.problem = Refused(folderName, path, "作成できません");
    return check;
}

#else

std::string UserStateFolder() {
    std::string state = AbsolutePathFromEnv("XDG_STATE_HOME");
    if (!state.empty()) return state;
    const std::string home = UserHomeFolder();
    if (home.empty()) return {};
    return (home == "/" ? std::string() : home) + "/.local/state";
}

char PathSeparator() {
    return '/';
}

PrivateFolderCheck InspectOwnFolder(const std::string& path, bool refuseOthersWriting) {
    PrivateFolderCheck check;
    // Opened without following a link, so the checks are about the very folder that is used.
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        struct stat link {};
        if (::lstat(path.c_str(), &link) != 0) {
            if (error != ENOENT) check.problem = std::strerror(error);
            return check;
        }
        check.exists = true;
        if (S_ISLNK(link.st_mode))
            check.problem = "シンボリックリンクです";
        else if (!S_ISDIR(link.st_mode))
            check.problem = "フォルダではありません";
        else
            check.problem = std::strerror(error);
        return check;
    }
    check.exists = true;
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        check.problem = std::strerror(errno);
    else if (info.st_uid != ::geteuid())
        check.problem = "他のユーザーのフォルダです";
    else if (refuseOthersWriting && (info.st_mode & 022) != 0)
        check.problem = "他のユーザーも書き込めるフォルダです";
    else if ((info.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0)
        check.problem = std::strerror(errno);
    ::close(fd);
    return check;
}

PrivateFolderCheck CheckPrivateFolder(const std::string& path, std::string_view folderName) {
    // What others could have planted in a folder they may write is never ours.
    PrivateFolderCheck check = InspectOwnFolder(path, true);
    if (!check.problem.empty()) check.problem = Refused(folderName, path, check.problem.c_str());
    return check;
}

PrivateFolderCheck MakePrivateFolder(const std::string& path, std::string_view folderName) {
    if (path.empty() || path[0] != '/') return {false, Refused(folderName, path, "場所がありません")};
    // Missing parents are made private too, as the base folders of a user's state should be;
    // existing ones are left as they are.
    for (std::size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
        ::mkdir(path.substr(0, at).c_str(), 0700);
    ::mkdir(path.c_str(), 0700);
    PrivateFolderCheck check = CheckPrivateFolder(path, folderName);
    if (!check.exists && check.problem.empty()) check.problem = Refused(folderName, path, "作成できません");
    return check;
}

#endif

}  // namespace quorvel
