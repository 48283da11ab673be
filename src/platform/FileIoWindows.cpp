#ifdef _WIN32

#include <windows.h>

#include <cstdint>

#include "platform/FileIo.h"
#include "platform/FileNames.h"

namespace quorvel::fileio {
namespace {

// File names reach the core in the system code page.
std::wstring Wide(const std::string& path) {
    bool ok = false;
    std::wstring wide = filenames::Widen(CP_ACP, MB_ERR_INVALID_CHARS, path, ok);
    return ok ? wide : std::wstring();
}

std::wstring FolderOf(const std::wstring& path) {
    const auto separator = path.find_last_of(L"\\/:");
    if (separator == std::wstring::npos) return L".";
    if (path[separator] == L':') return path.substr(0, separator + 1);
    return separator == 0 ? path.substr(0, 1) : path.substr(0, separator);
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() &&
        (folder.back() == L'\\' || folder.back() == L'/' || folder.back() == L':'))
        return folder + name;
    return folder + L"\\" + name;
}

// The file a save replaces: a link (symbolic link or junction) is followed to the file it names.
// A name that does not resolve is saved as given.
std::wstring FollowLinks(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return path;
    std::wstring final(32768, L'\0');
    const DWORD length =
        GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()), 0);
    CloseHandle(file);
    if (length == 0 || length >= final.size()) return path;
    final.resize(length);
    return final;
}

std::uint64_t Ticks(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

void RemoveStaleTemporaries(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = Join(folder, L".qvl*");
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    FILETIME nowTime{};
    GetSystemTimeAsFileTime(&nowTime);
    const std::uint64_t now = Ticks(nowTime);
    constexpr std::uint64_t kTicksPerSecond = 10'000'000;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        std::string name;
        for (const wchar_t* c = found.cFileName; *c; ++c)
            name += *c < 0x80 ? static_cast<char>(*c) : '?';
        if (!IsSaveTemporaryName(name)) continue;
        const std::uint64_t written = Ticks(found.ftLastWriteTime);
        if (now < written || now - written < kStaleTemporarySeconds * kTicksPerSecond) continue;
        DeleteFileW(Join(folder, found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// A new temporary with a short random name, created exclusively.
HANDLE CreateTemporary(const std::wstring& folder, std::string_view prefix, std::wstring& name) {
    static constexpr char kAlphabet[] =
        "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    std::uint64_t seed = static_cast<std::uint64_t>(counter.QuadPart) ^
                         (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring leaf(prefix.begin(), prefix.end());
        for (std::size_t i = 0; i < kTemporarySuffixLength; ++i) {
            seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
            leaf += static_cast<wchar_t>(kAlphabet[(seed >> 33) % (sizeof kAlphabet - 1)]);
        }
        name = Join(folder, leaf);
        HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return file;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk =
            bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

WriteOutcome ReplaceFileContents(const std::string& path, std::string_view bytes,
                                 std::optional<unsigned>, std::string_view temporaryPrefix) {
    const std::wstring wide = Wide(path);
    if (wide.empty()) return WriteOutcome::CannotCreate;
    const std::wstring target = FollowLinks(wide);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DEVICE)))
        return WriteOutcome::CannotCreate;
    if (!exists && GetLastError() != ERROR_FILE_NOT_FOUND) return WriteOutcome::CannotCreate;
    if (exists) {
        // A file another program holds without sharing, or one this user may not write, is
        // refused before a temporary is made (a failed ReplaceFileW may leave one of its own).
        HANDLE probe = CreateFileW(target.c_str(), GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe == INVALID_HANDLE_VALUE) return WriteOutcome::CannotCreate;
        CloseHandle(probe);
    }

    const std::wstring folder = FolderOf(target);
    RemoveStaleTemporaries(folder);
    std::wstring temporary;
    HANDLE file = CreateTemporary(folder, temporaryPrefix, temporary);
    if (file == INVALID_HANDLE_VALUE) return WriteOutcome::CannotCreate;
    const bool written = WriteAll(file, bytes) && FlushFileBuffers(file);
    const bool closed = CloseHandle(file);
    if (!written || !closed) {
        DeleteFileW(temporary.c_str());
        return WriteOutcome::WriteFailed;
    }
    // ReplaceFileW keeps the replaced file's attributes, security and streams. Without a backup
    // name every failure leaves the replaced file in place, so the temporary can simply go.
    const bool replaced =
        exists ? ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                              REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0
               : MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    if (!replaced) {
        DeleteFileW(temporary.c_str());
        return WriteOutcome::CannotCreate;
    }
    return WriteOutcome::Ok;
}

ReadOutcome ReadFilePrefix(const std::string& path, std::size_t size, std::string& bytes) {
    const std::wstring wide = Wide(path);
    if (wide.empty()) return ReadOutcome::CannotOpen;
    // Without FILE_FLAG_BACKUP_SEMANTICS a folder does not open; pipes and devices are refused by
    // their type right after. Others may read the file meanwhile (a viewer, a backup), but a file
    // someone is writing is not read half-written.
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ReadOutcome::CannotOpen;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(file);
        return ReadOutcome::CannotOpen;
    }
    bytes.assign(size, '\0');
    std::size_t got = 0;
    while (got < size) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(size - got > 0x40000000u ? 0x40000000u : size - got);
        if (!ReadFile(file, bytes.data() + got, chunk, &n, nullptr) || n == 0) break;
        got += n;
    }
    CloseHandle(file);
    return got == size ? ReadOutcome::Ok : ReadOutcome::ReadFailed;
}

}  // namespace quorvel::fileio

#endif
