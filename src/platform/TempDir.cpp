#include "platform/TempDir.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>

#include "platform/FileNames.h"
#else
#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "platform/PrivateFolder.h"
#endif

namespace quorvel {

namespace {

constexpr const char* kPreviewFileName = "Preview.htm";

// The "%s%s" join: the directory already carries its separator.
std::string JoinPath(const std::string& dir, const char* name) {
    return dir + name;
}

#ifndef _WIN32
std::string UnusableMessage(const std::string& dir, const char* why) {
    return "一時フォルダ " + dir + " は使えません（" + why + "）";
}
#endif

}  // namespace

#ifdef _WIN32

TempPathResult TempDirectory() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH, buffer);
    if (length == 0 || length > MAX_PATH) return {{}, "一時フォルダを取得できません"};
    std::string dir = filenames::PathFromWide(std::wstring_view(buffer, length));
    if (dir.empty()) return {{}, "一時フォルダを取得できません"};
    return {std::move(dir), {}};
}

#else

std::string EnsurePrivateDirectory(const std::string& dir) {
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        return UnusableMessage(dir, std::strerror(errno));
    }
    // The preview file is made anew in it whatever was there, so others' write access is only
    // taken away.
    const PrivateFolderCheck check = InspectOwnFolder(dir, false);
    if (!check.exists && check.problem.empty()) return UnusableMessage(dir, std::strerror(ENOENT));
    return check.problem.empty() ? std::string() : UnusableMessage(dir, check.problem.c_str());
}

TempPathResult TempDirectory() {
    std::string dir;
    const std::string runtime = AbsolutePathFromEnv("XDG_RUNTIME_DIR");
    if (!runtime.empty()) {
        dir = (runtime == "/" ? "" : runtime) + "/quorvel";
    } else {
        std::string base = AbsolutePathFromEnv("TMPDIR");
        if (base.empty()) base = "/tmp";
        if (base == "/") base.clear();
        dir = base + "/quorvel-" + std::to_string(::geteuid());
    }
    std::string error = EnsurePrivateDirectory(dir);
    if (!error.empty()) return {{}, std::move(error)};
    return {dir + "/", {}};
}

#endif

TempPathResult PreviewFilePath() {
    TempPathResult dir = TempDirectory();
    if (!dir.ok()) return dir;
    return {JoinPath(dir.path, kPreviewFileName), {}};
}

#ifndef _WIN32
std::string AbsolutePathFromEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return {};
    std::string path(value);
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string UserHomeFolder() {
    std::string home = AbsolutePathFromEnv("HOME");
    if (home.empty()) {
        const passwd* entry = ::getpwuid(::getuid());
        if (entry && entry->pw_dir && entry->pw_dir[0] == '/') home = entry->pw_dir;
    }
    return home;
}
#endif

}  // namespace quorvel
