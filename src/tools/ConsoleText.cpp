#include "tools/ConsoleText.h"

#include <cstdio>

#include "platform/FileNames.h"
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
    bool ok = false;
    const std::wstring buffer = quorvel::filenames::Widen(CP_UTF8, 0, utf8, ok);
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
