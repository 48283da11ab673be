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

#ifndef _WIN32
#include <chrono>
#include <functional>
#include <vector>

// Runs `body` in a child process and returns its exit code, or -1 when it did not end within
// `limit` (the child is then killed), so a call that hangs fails the test instead of stalling it.
// With `asOrdinaryUser` the child first drops root (root may write anywhere).
int RunInChildWithin(std::chrono::milliseconds limit, const std::function<int()>& body,
                     bool asOrdinaryUser = false);

struct ProgramRun {
    int status = -1;  // exit code; -1 after a time-out or a signal
    std::string out;
    std::string err;
};
// Runs a program with these arguments (no shell), bounded by `limit` like RunInChildWithin.
ProgramRun RunProgramWithin(std::chrono::milliseconds limit, const std::vector<std::string>& argv);

// The user and group a test drops to.
inline constexpr unsigned kOrdinaryId = 65534;
#endif
