#ifdef _WIN32

#include <windows.h>

#include <cstdint>

#include "platform/FileNames.h"
#include "platform/FileStreams.h"

namespace quorvel::fileio {
namespace {

// The core's names are UTF-8; the system gets them as UTF-16, so no name becomes a look-alike.
std::wstring Wide(const std::string& path) {
    return filenames::WidePath(path);
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
HANDLE CreateTemporary(const std::wstring& folder, std::wstring& name,
                       std::string_view prefix = kTemporaryPrefix) {
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

HANDLE Handle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::intptr_t Stored(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(handle);
}

constexpr std::size_t kWriteChunk = 64 * 1024;

}  // namespace

// ---- reading ------------------------------------------------------------------------------------

InputFile::~InputFile() {
    if (handle_ != -1) CloseHandle(Handle(handle_));
}

bool InputFile::Open(const std::string& path) {
    if (handle_ != -1) CloseHandle(Handle(handle_));
    handle_ = -1;
    const std::wstring wide = Wide(path);
    if (wide.empty()) return false;
    // Without FILE_FLAG_BACKUP_SEMANTICS a folder does not open; pipes and devices are refused by
    // their type right after. Others may read the file meanwhile (a viewer, a backup), but a file
    // someone is writing is not read half-written.
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(file);
        return false;
    }
    handle_ = Stored(file);
    return true;
}

std::optional<std::size_t> InputFile::Read(char* buffer, std::size_t size) {
    if (handle_ == -1) return std::nullopt;
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(size > 0x40000000u ? 0x40000000u : size);
    if (!ReadFile(Handle(handle_), buffer, chunk, &n, nullptr)) return std::nullopt;
    return n;
}

bool InputFile::IsSameFile(const std::string& path) const {
    if (handle_ == -1) return false;
    const std::wstring wide = Wide(path);
    if (wide.empty()) return false;
    HANDLE other =
        CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (other == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION mine{};
    BY_HANDLE_FILE_INFORMATION theirs{};
    const bool known = GetFileInformationByHandle(Handle(handle_), &mine) &&
                       GetFileInformationByHandle(other, &theirs);
    CloseHandle(other);
    return known && mine.dwVolumeSerialNumber == theirs.dwVolumeSerialNumber &&
           mine.nFileIndexHigh == theirs.nFileIndexHigh &&
           mine.nFileIndexLow == theirs.nFileIndexLow;
}

// ---- one file replaced in pieces ----------------------------------------------------------------

namespace {

std::wstring WideOf(const std::string& utf16Bytes) {
    return std::wstring(reinterpret_cast<const wchar_t*>(utf16Bytes.data()),
                        utf16Bytes.size() / sizeof(wchar_t));
}

std::string BytesOf(const std::wstring& wide) {
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

// Places a written temporary: ReplaceFileW keeps the replaced file's attributes, security and
// streams. Without a backup name every failure leaves the replaced file in place.
bool Place(const std::wstring& temporary, const std::wstring& target, bool exists) {
    return exists ? ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                 REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0
                  : MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

FileReplacement::~FileReplacement() {
    Abandon();
}

void FileReplacement::Abandon() {
    if (handle_ != -1) {
        CloseHandle(Handle(handle_));
        DeleteFileW(WideOf(temporary_).c_str());
    }
    handle_ = -1;
}

// The wide names are kept as their bytes in the narrow members.
WriteOutcome FileReplacement::Begin(const std::string& path, std::optional<unsigned>,
                                    std::string_view temporaryPrefix) {
    Abandon();
    failed_ = false;
    pending_.clear();
    const std::wstring wide = Wide(path);
    if (wide.empty()) return WriteOutcome::CannotCreate;
    const std::wstring target = FollowLinks(wide);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    exists_ = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists_ &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DEVICE)))
        return WriteOutcome::CannotCreate;
    if (!exists_ && GetLastError() != ERROR_FILE_NOT_FOUND) return WriteOutcome::CannotCreate;
    if (exists_) {
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
    HANDLE file = CreateTemporary(folder, temporary, temporaryPrefix);
    if (file == INVALID_HANDLE_VALUE) return WriteOutcome::CannotCreate;
    handle_ = Stored(file);
    target_ = BytesOf(target);
    temporary_ = BytesOf(temporary);
    return WriteOutcome::Ok;
}

bool FileReplacement::Flush() {
    if (!failed_ && !pending_.empty() && !WriteAll(Handle(handle_), pending_)) failed_ = true;
    pending_.clear();
    return !failed_;
}

bool FileReplacement::Write(std::string_view bytes) {
    if (handle_ == -1 || failed_) return false;
    pending_ += bytes;
    return pending_.size() < kWriteChunk || Flush();
}

WriteOutcome FileReplacement::Commit() {
    if (handle_ == -1) return WriteOutcome::CannotCreate;
    const bool written = Flush() && FlushFileBuffers(Handle(handle_));
    const bool closed = CloseHandle(Handle(handle_));
    handle_ = -1;
    const std::wstring temporary = WideOf(temporary_);
    if (!written || !closed) {
        DeleteFileW(temporary.c_str());
        return WriteOutcome::WriteFailed;
    }
    if (!Place(temporary, WideOf(target_), exists_)) {
        DeleteFileW(temporary.c_str());
        return WriteOutcome::CannotCreate;
    }
    return WriteOutcome::Ok;
}

// ---- entries of one folder ----------------------------------------------------------------------

OutputFolder::~OutputFolder() = default;

bool OutputFolder::Open(const std::string& path) {
    handle_ = -1;
    const std::wstring wide = Wide(path);
    if (wide.empty()) return false;
    // A link or junction to a folder is resolved here, once: it is the folder the user named.
    const std::wstring folder = FollowLinks(wide);
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    path_ = BytesOf(folder);
    handle_ = 0;
    RemoveStaleTemporaries(folder);
    return true;
}

EntryOutcome OutputFolder::Replace(const std::string& name, std::string_view bytes) {
    if (handle_ == -1 || name.empty() || name.find_first_of("\\/:") != std::string::npos)
        return EntryOutcome::CannotCreate;
    const std::wstring leaf = Wide(name);
    if (leaf.empty()) return EntryOutcome::CannotCreate;
    const std::wstring folder = WideOf(path_);
    const std::wstring target = Join(folder, leaf);
    // A new entry is made in place and exclusively: no earlier contents can be lost.
    HANDLE fresh = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (fresh != INVALID_HANDLE_VALUE) {
        const bool written = WriteAll(fresh, bytes);
        if (CloseHandle(fresh) && written) return EntryOutcome::Ok;
        DeleteFileW(target.c_str());
        return EntryOutcome::WriteFailed;
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
        return EntryOutcome::CannotCreate;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return EntryOutcome::CannotCreate;
    if (attributes &
        (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE))
        return EntryOutcome::NotAFile;
    if (attributes & FILE_ATTRIBUTE_READONLY) return EntryOutcome::CannotCreate;
    std::wstring temporary;
    HANDLE file = CreateTemporary(folder, temporary);
    if (file == INVALID_HANDLE_VALUE) return EntryOutcome::CannotCreate;
    const bool written = WriteAll(file, bytes) && FlushFileBuffers(file);
    const bool closed = CloseHandle(file);
    if (!written || !closed) {
        DeleteFileW(temporary.c_str());
        return EntryOutcome::WriteFailed;
    }
    if (!Place(temporary, target, true)) {
        DeleteFileW(temporary.c_str());
        return EntryOutcome::CannotCreate;
    }
    return EntryOutcome::Ok;
}

bool OutputFolder::Sync() {
    return handle_ != -1;
}

}  // namespace quorvel::fileio

#endif
