#pragma once

#include <string>

namespace quorvel {
struct FileError;
}

// Text from the command-line tool for a person. A Windows console shows bytes in its own code
// page, so text for a console goes to it as UTF-16; a redirected stream gets UTF-8 bytes.

// Writes UTF-8 text to the console behind standard output or standard error; false when that
// stream is not a console (nothing is written then).
bool WriteToConsole(bool toStderr, const std::string& utf8);

// True when standard output (or error) is a console that takes text as characters.
bool IsConsole(bool toStderr);

// A message (UTF-8) on standard error.
void PrintMessage(const std::string& text);

// A file error as "caption: message" on standard error.
void PrintError(const quorvel::FileError& error);
