#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "store/FileError.h"

// The preview file: the generated tag text, written for the preview window and read back by it
// (and by the tag copy), so every copy gives the bytes that were written.
namespace quorvel {

inline constexpr const char* kPreviewWriteCaption = "プレビューデータ作成";
inline constexpr const char* kPreviewReadCaption = "プレビューデータ読み込み";

// Creates the file or empties an existing one, then writes all of `bytes`. Only a regular file of
// this user with a single link is reused; anything else at `path` (a link, a FIFO, another user's
// file, a file with a second name) is removed and the file created anew, never written through.
// A folder there is refused. After a write error the file keeps what was written so far.
std::optional<FileError> WritePreviewFile(const std::string& path, std::string_view bytes);

struct PreviewReadResult {
    std::string bytes;
    std::optional<FileError> error;
    bool ok() const { return !error; }
};

// Reads the whole file; a link at `path` is not followed, and a file that is not this user's own
// plain file is refused.
PreviewReadResult ReadPreviewFile(const std::string& path);

}  // namespace quorvel
