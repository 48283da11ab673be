#pragma once

#include <string>

#include "platform/FileNames.h"

namespace quorvel {

// A file failure for the user: the text and the caption of its message box (UTF-8).
struct FileError {
    std::string message;
    std::string caption;
};

}  // namespace quorvel

namespace quorvel {

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

}  // namespace quorvel
