#pragma once

#include <optional>
#include <string>
#include <string_view>

// File names as the core's file functions take them: the ANSI code page on Windows (what the
// narrow command line and the editor's local encoding give), UTF-8 elsewhere.
namespace quorvel::filenames {

// A file name in UTF-8, for messages. Bytes the system code page has no character for are shown
// as U+FFFD.
std::string ToUtf8(std::string_view systemName);

// The file name for a name held as code page 932 bytes (text from a sheet or a spreadsheet);
// nothing when the system code page cannot spell it exactly.
std::optional<std::string> FromSjis(std::string_view sjisName);

#ifdef _WIN32
// The Windows conversions every file name and console text goes through. Widen sets `ok` false
// when the bytes do not convert; Narrow gives nothing when the text does not convert, or when a
// character had no form in the code page (no look-alike is put in its place).
std::wstring Widen(unsigned int codePage, unsigned long flags, std::string_view bytes, bool& ok);
std::optional<std::string> Narrow(unsigned int codePage, unsigned long flags,
                                  std::wstring_view wide);
#endif

}  // namespace quorvel::filenames
