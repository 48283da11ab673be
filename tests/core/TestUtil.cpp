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

fs::path FsPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const fs::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

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
            path_ = Utf8Of(candidate);
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
    std::ifstream in(FsPath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteWholeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
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

#ifdef _WIN32
// The program is started directly, with its output on a pipe and its errors in a file: wine's
// cmd and _pclose now and then lost the exit code (-1).
ProgramRun RunCommand(const std::string& commandLine, const TempFolder& scratch) {
    const std::string errFile = scratch.file("stderr.txt");
    ProgramRun run;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) return run;
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    HANDLE err = CreateFileW(FsPath(errFile).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite;
    startup.hStdError = err;
    // The line is UTF-8, as the program's own file names are: the wide call spells it exactly.
    std::wstring line = FsPath(commandLine).wstring();
    PROCESS_INFORMATION info{};
    const bool started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &info);
    CloseHandle(outWrite);
    if (started) {
        std::array<char, 4096> buffer{};
        DWORD n = 0;
        while (ReadFile(outRead, buffer.data(), DWORD(buffer.size()), &n, nullptr) && n > 0)
            run.out.append(buffer.data(), n);
        WaitForSingleObject(info.hProcess, INFINITE);
        DWORD code = 0;
        if (GetExitCodeProcess(info.hProcess, &code)) run.status = int(code);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    CloseHandle(outRead);
    if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
    run.err = ReadWholeFile(errFile);
    return run;
}
#else
ProgramRun RunCommand(const std::string& commandLine, const TempFolder& scratch) {
    const std::string errFile = scratch.file("stderr.txt");
    const std::string command = commandLine + " 2>" + ShellQuote(errFile);
    FILE* pipe = popen(command.c_str(), "r");
    ProgramRun run;
    if (!pipe) return run;
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadWholeFile(errFile);
    return run;
}
#endif

std::string ProgramFolder() {
#ifdef _WIN32
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    const std::u8string folder = fs::path(std::wstring(buffer, length)).parent_path().u8string();
    return std::string(folder.begin(), folder.end()) + "\\";
#else
    return fs::canonical("/proc/self/exe").parent_path().string() + "/";
#endif
}

std::string QvltagsPath() {
#ifdef _WIN32
    // Built beside the tests; the build's own path may be a host path the program cannot use.
    return ProgramFolder() + "qvltags.exe";
#else
    return QVLTAGS_PATH;
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

#ifndef _WIN32
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int WaitWithin(pid_t child, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0) return -1;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

int RunInChildWithin(std::chrono::milliseconds limit, const std::function<int()>& body,
                     bool asOrdinaryUser) {
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        if (asOrdinaryUser && geteuid() == 0 &&
            (setgid(kOrdinaryId) != 0 || setuid(kOrdinaryId) != 0))
            _exit(90);
        _exit(body());
    }
    return WaitWithin(child, limit);
}

ProgramRun RunProgramWithin(std::chrono::milliseconds limit, const std::vector<std::string>& argv) {
    TempFolder folder;
    const std::string outFile = folder.file("out"), errFile = folder.file("err");
    const pid_t child = fork();
    if (child < 0) return {};
    if (child == 0) {
        const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(91);
        std::vector<char*> args;
        for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(92);
    }
    ProgramRun run;
    run.status = WaitWithin(child, limit);
    run.out = ReadWholeFile(outFile);
    run.err = ReadWholeFile(errFile);
    return run;
}
#endif
