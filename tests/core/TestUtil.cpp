#include "TestUtil.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = base / ("quorvel-test-" + std::to_string(random()));
        std::error_code error;
        // create_directory is false for a name already there, so two tests never share one.
        if (fs::create_directory(candidate, error)) {
            fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace, error);
            path_ = candidate.generic_string();
            return;
        }
    }
    throw std::runtime_error("no temporary folder could be made");
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // Read-only folders made by a test must not stop the clean-up.
    for (auto& entry : fs::recursive_directory_iterator(path_, ignored))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteWholeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

namespace {

void SetVariable(const char* name, const std::optional<std::string>& value) {
#ifdef _WIN32
    // An empty value removes the variable on Windows, as does no value.
    _putenv_s(name, value ? value->c_str() : "");
#else
    if (value)
        setenv(name, value->c_str(), 1);
    else
        unsetenv(name);
#endif
}

}  // namespace

ScopedEnv::ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    SetVariable(name, value);
}

ScopedEnv::~ScopedEnv() {
    SetVariable(name_, old_);
}

std::string ShellQuote(const std::string& argument) {
#ifdef _WIN32
    return "\"" + argument + "\"";
#else
    std::string quoted = "'";
    for (char c : argument) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
#endif
}

ProgramRun RunCommand(const std::string& commandLine, const TempFolder& scratch) {
    const std::string errFile = scratch.file("stderr.txt");
    std::string command = commandLine + " 2>" + ShellQuote(errFile);
#ifdef _WIN32
    // cmd /c drops the outer pair of quotes when the line starts with one.
    command = "\"" + command + "\"";
    FILE* pipe = _popen(command.c_str(), "rb");
#else
    FILE* pipe = popen(command.c_str(), "r");
#endif
    ProgramRun run;
    if (!pipe) return run;
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.out.append(buffer.data(), n);
#ifdef _WIN32
    run.status = _pclose(pipe);
#else
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    run.err = ReadWholeFile(errFile);
    return run;
}

std::string ProgramFolder() {
#ifdef _WIN32
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return fs::path(std::string(buffer, length)).parent_path().string() + "\\";
#else
    return fs::canonical("/proc/self/exe").parent_path().string() + "/";
#endif
}

bool RunningUnderWine() {
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}
