#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Plain file-system questions about one folder, with names as the core takes them (UTF-8).
namespace quorvel {

// The names in a folder, without "." and ".."; empty when it cannot be read.
std::vector<std::string> FolderEntries(const std::string& folder);

struct FileFacts {
    std::uint64_t size = 0;
    // Orders last writes: a larger value is later. The unit is the system's own.
    std::int64_t lastWritten = 0;
    // The last write as seconds since 1970-01-01 00:00 UTC.
    std::int64_t writtenAt = 0;
    // Whether the file belongs to the user running the program (always so on Windows, where the
    // per-user folders are closed to others by their access lists).
    bool ownedByUser = true;
};

// What a folder entry is, looked at without following a link.
enum class EntryKind { Missing, Regular, Link, Folder, Other };
EntryKind EntryKindAt(const std::string& path);

// Size and last write of a regular file; nothing when there is no such file.
std::optional<FileFacts> RegularFileFacts(const std::string& path);

// Deletes a file; false when it could not be deleted (or was not there).
bool DeleteFileAt(const std::string& path);

// Renames a file within its folder, never over an existing one; false when it was not renamed.
bool RenameFileAt(const std::string& from, const std::string& to);

}  // namespace quorvel
