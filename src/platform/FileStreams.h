#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileIo.h"

// Files read and written in pieces, for inputs and outputs too large to hold in memory, and the
// entries of one output folder. The save rules are those of ReplaceFileContents.
namespace quorvel::fileio {

// A regular file open for reading. Anything else (a folder, a FIFO, a device, a socket) is
// refused at open, which never waits for a writer.
class InputFile {
  public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool Open(const std::string& path);
    // Up to `size` bytes: how many were read, 0 at the end, nothing on a read error.
    std::optional<std::size_t> Read(char* buffer, std::size_t size);
    // True when `path` names this very file, through links or another spelling.
    bool IsSameFile(const std::string& path) const;

  private:
    std::intptr_t handle_ = -1;
};

// A replacement of one file written in pieces: the pieces go to a temporary beside the file,
// which takes the file's place only at Commit. Destroyed before Commit, it removes the temporary
// and the file stays as it was.
class FileReplacement {
  public:
    FileReplacement() = default;
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    WriteOutcome Begin(const std::string& path, std::optional<unsigned> mode = std::nullopt,
                       std::string_view temporaryPrefix = kTemporaryPrefix);
    // False once a write has failed; later writes are dropped and Commit reports the failure.
    bool Write(std::string_view bytes);
    WriteOutcome Commit();
    // Gives up: the temporary goes, the file stays as it was.
    void Abandon();

  private:
    bool Flush();

    std::intptr_t handle_ = -1;
    std::string target_;
    std::string temporary_;
    std::string pending_;
    bool exists_ = false;
    bool failed_ = false;
};

enum class EntryOutcome { Ok, NotAFile, CannotCreate, WriteFailed };

// One folder that many files are written into. The folder itself may be reached through a link
// (it is the folder the user named), but an entry in it never is: an existing entry that is a
// link, a folder or anything but a regular file is refused and left as it is.
class OutputFolder {
  public:
    OutputFolder() = default;
    ~OutputFolder();
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    // False when the path is no folder that can be opened. Stale temporaries are swept here,
    // once, not with every file.
    bool Open(const std::string& path);
    // Creates or replaces the entry `name` (a plain name, no separator) with `bytes`. A replaced
    // file keeps its permissions; its new contents are on disk before it is replaced.
    EntryOutcome Replace(const std::string& name, std::string_view bytes);
    // Makes the replacements made so far durable.
    bool Sync();
    const std::string& path() const { return path_; }

  private:
    std::intptr_t handle_ = -1;
    std::string path_;
    std::uint64_t seed_ = 0;
    bool replaced_ = false;
};

}  // namespace quorvel::fileio
