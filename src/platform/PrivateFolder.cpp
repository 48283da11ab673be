#include "platform/PrivateFolder.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/TempDir.h"
#endif

namespace quorvel {

#ifdef _WIN32

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool IsRealFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

std::string UserStateFolder() {
    std::string folder = Env("LOCALAPPDATA");
    if (folder.empty()) {
        const std::string profile = Env("USERPROFILE");
        if (profile.empty()) return {};
        folder = profile + "\\AppData\\Local";
    }
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder;
}

char PathSeparator() {
    return '\\';
}

bool MakePrivateFolder(const std::string& path) {
    if (path.empty()) return false;
    // The local application-data folder is already closed to other users by its access list;
    // new folders inherit it.
    for (std::size_t at = path.find_first_of("\\/", 3); at != std::string::npos;
         at = path.find_first_of("\\/", at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
    return IsRealFolder(path);
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

bool MakePrivateFolder(const std::string& path) {
    if (path.empty() || path[0] != '/') return false;
    // Missing parents are made private too, as the base folders of a user's state should be;
    // existing ones are left as they are.
    for (std::size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
        const std::string parent = path.substr(0, at);
        struct stat info {};
        if (::mkdir(parent.c_str(), 0700) != 0 && errno != EEXIST &&
            !(::stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode)))
            return false;
    }
    return EnsurePrivateDirectory(path).empty();
}

#endif

}  // namespace quorvel
