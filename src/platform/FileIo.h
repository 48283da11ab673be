#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Whole-file reads and writes for the data files and the settings file.
namespace quorvel::fileio {

enum class WriteOutcome { Ok, CannotCreate, WriteFailed };

// Temporaries of a save are ".qvl" and six letters or digits, short so that a target name of
// any length the file system accepts still leaves room for them.
inline constexpr std::string_view kTemporaryPrefix = ".qvl";
inline constexpr std::size_t kTemporarySuffixLength = 6;
bool IsSaveTemporaryName(std::string_view name);

// Replaces the file's contents with `bytes` safely: the bytes go to a temporary file in the same
// folder, which is flushed to disk and then put in the file's place, so a failed write leaves the
// previous file as it was and no temporary behind.
// - A symbolic link is followed: the file it names is replaced and the link stays a link; a
//   dangling link gets its target created.
// - An existing file keeps its permission bits (and its owner and group where the process may set
//   them); a new one gets `mode` where one is given, else the usual permissions.
// - A file the user may not write (permission bits, or the read-only attribute on Windows), a
//   file without any write permission bit whoever runs the program, and anything but a regular
//   file are refused with CannotCreate before anything changes.
// - Temporaries of a save that was killed, older than an hour, are removed from that folder.
// - `temporaryPrefix` names the temporary instead of ".qvl", so that a caller that owns the folder
//   can find what a killed write of one file left (such temporaries are not removed here).
WriteOutcome ReplaceFileContents(const std::string& path, std::string_view bytes,
                                 std::optional<unsigned> mode = std::nullopt,
                                 std::string_view temporaryPrefix = kTemporaryPrefix);

enum class ReadOutcome { Ok, CannotOpen, ReadFailed };

// Reads the first `size` bytes of a regular file; a shorter file is a read failure and nothing
// past `size` is read. Anything but a regular file (a folder, a FIFO, a device, a socket) is
// refused at once with CannotOpen: the open never waits for a writer.
ReadOutcome ReadFilePrefix(const std::string& path, std::size_t size, std::string& bytes);

// A temporary older than this was left by a save that never finished.
inline constexpr long long kStaleTemporarySeconds = 3600;

}  // namespace quorvel::fileio
