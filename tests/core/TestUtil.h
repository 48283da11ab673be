#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/Sjis.h"

// Shift_JIS bytes of a UTF-8 literal, so tests can write Japanese text readably.
inline std::string Sj(std::string_view utf8) {
    auto result = quorvel::sjis::FromUtf8(utf8);
    if (!result.ok()) throw std::runtime_error("test text has no Shift_JIS form");
    return result.bytes;
}

// A fresh directory under the system temporary folder, removed with its contents at scope end.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, std::string_view bytes);
