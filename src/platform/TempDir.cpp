#include "platform/TempDir.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
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
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(MAX_PATH, buffer);
    if (length == 0 || length > MAX_PATH) return {{}, "一時フォルダを取得できません"};
    return {std::string(buffer, length), {}};
}

#else

std::string EnsurePrivateDirectory(const std::string& dir) {
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        return UnusableMessage(dir, std::strerror(errno));
    }
    // Opened without following a link, so the checks below are about the very directory we use.
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        struct stat link {};
        if (::lstat(dir.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
            return UnusableMessage(dir, "シンボリックリンクです");
        }
        if (errno == ENOTDIR) return UnusableMessage(dir, "フォルダではありません");
        return UnusableMessage(dir, std::strerror(errno));
    }
    struct stat info {};
    std::string error;
    if (::fstat(fd, &info) != 0) {
        error = UnusableMessage(dir, std::strerror(errno));
    } else if (!S_ISDIR(info.st_mode)) {
        error = UnusableMessage(dir, "フォルダではありません");
    } else if (info.st_uid != ::geteuid()) {
        error = UnusableMessage(dir, "他のユーザーのフォルダです");
    } else if ((info.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0) {
        error = UnusableMessage(dir, std::strerror(errno));
    }
    ::close(fd);
    return error;
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
