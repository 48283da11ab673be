#pragma once

#include <optional>
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
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

#include <filesystem>

// File names in tests are UTF-8, as the core takes them on every system.
std::filesystem::path FsPath(const std::string& utf8);
std::string Utf8Of(const std::filesystem::path& path);

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, std::string_view bytes);

// Sets (or, with no value, removes) an environment variable for one scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// One argument quoted for the platform's shell.
std::string ShellQuote(const std::string& argument);

struct ProgramRun {
    int status = -1;  // exit code, -1 when the program did not exit normally
    std::string out;  // standard output, exact bytes
    std::string err;  // standard error, exact bytes
};

// Runs a shell command line (arguments already quoted) and captures both output streams; standard
// error goes through a file in `scratch`.
ProgramRun RunCommand(const std::string& commandLine, const TempFolder& scratch);

// The test program's own folder, with its trailing separator.
std::string ProgramFolder();

// The qvltags program built with these tests.
std::string QvltagsPath();

// True when a Windows build runs under wine, whose emulation differs from Windows in a few
// documented places.
bool RunningUnderWine();

#ifndef _WIN32
#include <chrono>
#include <functional>
#include <vector>

// Runs `body` in a child process and returns its exit code, or -1 when it did not end within
// `limit` (the child is then killed), so a call that hangs fails the test instead of stalling it.
// With `asOrdinaryUser` the child first drops root (root may write anywhere).
int RunInChildWithin(std::chrono::milliseconds limit, const std::function<int()>& body,
                     bool asOrdinaryUser = false);

// Runs a program with these arguments (no shell), bounded by `limit` like RunInChildWithin.
ProgramRun RunProgramWithin(std::chrono::milliseconds limit, const std::vector<std::string>& argv);

// The user and group a test drops to.
inline constexpr unsigned kOrdinaryId = 65534;
#endif
