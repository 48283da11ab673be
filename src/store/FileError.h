#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/FileIo.h"
#include "platform/FileNames.h"

namespace quorvel {

// A file failure for the user: the text and the caption of its message box (UTF-8).
struct FileError {
    std::string message;
    std::string caption;
};

// The four file failures the editor reports, each under the caption of its operation. Paths are
// the system's file names and are shown in UTF-8 like the rest of the text.
inline FileError CannotCreateError(const std::string& path, const char* caption) {
    return {"ファイル " + filenames::ToUtf8(path) + " を作成できません", caption};
}
inline FileError WriteError(const char* caption) {
    return {"ストリームへの書き込みエラー", caption};
}
inline FileError CannotOpenError(const std::string& path, const char* caption) {
    return {"ファイル " + filenames::ToUtf8(path) + " は開けません", caption};
}
inline FileError ReadError(const char* caption) {
    return {"ストリームからの読み込みエラー", caption};
}

// Replaces the file safely and says what went wrong, under `caption`, when it could not.
inline std::optional<FileError> ReplaceFileOrError(const std::string& path, std::string_view bytes,
                                                   const char* caption) {
    switch (fileio::ReplaceFileContents(path, bytes)) {
        case fileio::WriteOutcome::Ok:
            return std::nullopt;
        case fileio::WriteOutcome::CannotCreate:
            return CannotCreateError(path, caption);
        case fileio::WriteOutcome::WriteFailed:
            break;
    }
    return WriteError(caption);
}

}  // namespace quorvel
