#pragma once

#include <optional>
#include <string>
#include <string_view>

// File names as the core's file functions take them: UTF-8 on every system. Windows' file calls
// get them as UTF-16, so every name the system allows is spelt exactly, never through the ANSI
// code page and its look-alikes.
namespace quorvel::filenames {

// A file name in UTF-8, for messages.
std::string ToUtf8(std::string_view systemName);

// The file name for a name held as code page 932 bytes (text from a sheet or a spreadsheet);
// nothing when the bytes do not decode.
std::optional<std::string> FromSjis(std::string_view sjisName);

#ifdef _WIN32
// The Windows conversions every file name and console text goes through. Widen sets `ok` false
// when the bytes do not convert; Narrow gives nothing when the text does not convert, or when a
// character had no form in the code page (no look-alike is put in its place).
std::wstring Widen(unsigned int codePage, unsigned long flags, std::string_view bytes, bool& ok);
std::optional<std::string> Narrow(unsigned int codePage, unsigned long flags,
                                  std::wstring_view wide);

// A core file name as the wide file calls take it; empty for bytes that are no UTF-8.
std::wstring WidePath(std::string_view path);
// A name the wide calls gave (a folder entry, the temporary folder) as a core file name.
std::string PathFromWide(std::wstring_view wide);
// An environment variable that names a folder (APPDATA, say) as a core file name; empty when
// unset.
std::string PathFromEnvironment(const wchar_t* name);
#endif

}  // namespace quorvel::filenames
