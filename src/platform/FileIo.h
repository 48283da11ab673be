#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Whole-file reads and writes for the data files.
namespace quorvel::fileio {

enum class WriteOutcome { Ok, CannotCreate, WriteFailed };

// Replaces the file's contents with `bytes` safely: the bytes go to a temporary file in the same
// folder, which is flushed to disk and then put in the file's place, so a failed write leaves the
// previous file as it was. The file gets `mode` where one is given (POSIX permission bits);
// otherwise an existing file keeps its permissions and a new one gets the usual ones.
WriteOutcome ReplaceFileContents(const std::string& path, std::string_view bytes,
                                 std::optional<unsigned> mode = std::nullopt);

enum class ReadOutcome { Ok, CannotOpen, ReadFailed };

// Reads the first `size` bytes of a regular file; a shorter file is a read failure. Anything but
// a regular file (a folder, a device) cannot be opened.
ReadOutcome ReadFilePrefix(const std::string& path, std::size_t size, std::string& bytes);

}  // namespace quorvel::fileio
