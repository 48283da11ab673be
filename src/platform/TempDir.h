#pragma once

#include <string>

// Where the editor keeps its preview file. On Windows this is the system's temporary folder; on
// Linux a private per-user folder, because the shared /tmp would let another user plant a link
// or read the file.
namespace quorvel {

struct TempPathResult {
    std::string path;   // ends in the path separator for a directory
    std::string error;  // for the user (UTF-8); empty when the path is usable
    bool ok() const { return error.empty(); }
};

// The temporary directory with its trailing separator. On Linux it is created when missing:
// $XDG_RUNTIME_DIR/quorvel/ when that variable holds an absolute path, otherwise
// ${TMPDIR:-/tmp}/quorvel-<uid>/.
TempPathResult TempDirectory();

// The temporary directory followed by "Preview.htm".
TempPathResult PreviewFilePath();

#ifndef _WIN32
// Creates `dir` (mode 0700) or checks the one there: it must be a real directory, not a link,
// owned by this user. Group or other access on our own directory is taken away. Returns an empty
// string or the reason the directory cannot be used.
std::string EnsurePrivateDirectory(const std::string& dir);

// An environment variable that names an absolute path, without trailing slashes; empty when it is
// unset or relative (a relative folder would move with the working directory).
std::string AbsolutePathFromEnv(const char* name);

// The user's home folder: $HOME when it is absolute, else the password database's entry; empty
// when neither gives one. "/" stays "/".
std::string UserHomeFolder();
#endif

}  // namespace quorvel
