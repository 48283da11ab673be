#include "platform/FolderFiles.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/FileNames.h"
#else
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quorvel {

#ifdef _WIN32

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    const std::wstring wide = filenames::WidePath(folder);
    if (wide.empty()) return names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((wide + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = filenames::PathFromWide(found.cFileName);
        if (!name.empty() && name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

EntryKind EntryKindAt(const std::string& path) {
    const std::wstring wide = filenames::WidePath(path);
    const DWORD attributes =
        wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return EntryKind::Missing;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return EntryKind::Link;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryKind::Folder;
    return EntryKind::Regular;
}

std::optional<FileFacts> RegularFileFacts(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    const std::wstring wide = filenames::WidePath(path);
    if (wide.empty() || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
        return std::nullopt;
    FileFacts facts;
    facts.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    facts.lastWritten = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
        data.ftLastWriteTime.dwLowDateTime);
    // File times count 100 ns from 1601; 11644473600 s lie between that and 1970.
    facts.writtenAt = facts.lastWritten / 10000000 - 11644473600LL;
    return facts;
}

bool DeleteFileAt(const std::string& path) {
    const std::wstring wide = filenames::WidePath(path);
    return !wide.empty() && DeleteFileW(wide.c_str()) != 0;
}

bool RenameFileAt(const std::string& from, const std::string& to) {
    const std::wstring wideFrom = filenames::WidePath(from);
    const std::wstring wideTo = filenames::WidePath(to);
    return !wideFrom.empty() && !wideTo.empty() &&
           MoveFileExW(wideFrom.c_str(), wideTo.c_str(), 0) != 0;
}

#else

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

EntryKind EntryKindAt(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return EntryKind::Missing;
    if (S_ISLNK(info.st_mode)) return EntryKind::Link;
    if (S_ISDIR(info.st_mode)) return EntryKind::Folder;
    return S_ISREG(info.st_mode) ? EntryKind::Regular : EntryKind::Other;
}

std::optional<FileFacts> RegularFileFacts(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    FileFacts facts;
    facts.size = static_cast<std::uint64_t>(info.st_size);
    facts.lastWritten =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    facts.writtenAt = static_cast<std::int64_t>(info.st_mtim.tv_sec);
    facts.ownedByUser = info.st_uid == ::geteuid();
    return facts;
}

bool DeleteFileAt(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool RenameFileAt(const std::string& from, const std::string& to) {
    // A hard link refuses an existing name, which rename() would replace.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

#endif

}  // namespace quorvel
