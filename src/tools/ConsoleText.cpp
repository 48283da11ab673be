#include "tools/ConsoleText.h"

#include <cstdio>

#include "store/FileError.h"

#ifdef _WIN32
#include <windows.h>
#endif

bool IsConsole(bool toStderr) {
#ifdef _WIN32
    HANDLE console = GetStdHandle(toStderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    return console != INVALID_HANDLE_VALUE && GetConsoleMode(console, &mode);
#else
    (void)toStderr;
    return false;
#endif
}

bool WriteToConsole(bool toStderr, const std::string& utf8) {
#ifdef _WIN32
    if (!IsConsole(toStderr)) return false;
    HANDLE console = GetStdHandle(toStderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    const int length = static_cast<int>(utf8.size());
    const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring buffer(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, buffer.data(), wide);
    std::fflush(toStderr ? stderr : stdout);
    DWORD written = 0;
    return WriteConsoleW(console, buffer.data(), static_cast<DWORD>(buffer.size()), &written,
                         nullptr) != FALSE;
#else
    (void)toStderr;
    (void)utf8;
    return false;
#endif
}

// Messages are UTF-8.
void PrintMessage(const std::string& text) {
    if (!WriteToConsole(true, text)) std::fputs(text.c_str(), stderr);
}

void PrintError(const quorvel::FileError& error) {
    PrintMessage(error.caption + ": " + error.message + "\n");
}
