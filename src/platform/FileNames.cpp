#include "platform/FileNames.h"

#include "platform/Sjis.h"

#ifdef _WIN32
#include <windows.h>

#include <cstdlib>
#endif

namespace quorvel::filenames {

#ifdef _WIN32

std::wstring Widen(unsigned int codePage, unsigned long flags, std::string_view bytes, bool& ok) {
    ok = true;
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (length <= 0) {
        ok = false;
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), size, wide.data(), length);
    return wide;
}

std::optional<std::string> Narrow(unsigned int codePage, unsigned long flags,
                                  std::wstring_view wide) {
    if (wide.empty()) return std::string();
    const int size = static_cast<int>(wide.size());
    // UTF-8 spells every character and takes no lossy report.
    BOOL lossy = FALSE;
    BOOL* report = codePage == CP_UTF8 ? nullptr : &lossy;
    const int length =
        WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, report);
    if (length <= 0 || lossy) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(), length, nullptr, report);
    if (lossy) return std::nullopt;
    return bytes;
}

std::wstring WidePath(std::string_view path) {
    bool ok = false;
    std::wstring wide = Widen(CP_UTF8, MB_ERR_INVALID_CHARS, path, ok);
    return ok ? wide : std::wstring();
}

std::string PathFromWide(std::wstring_view wide) {
    // A lone surrogate in a name the system gave cannot be spelt in UTF-8: no name, rather than
    // another file's.
    return Narrow(CP_UTF8, WC_ERR_INVALID_CHARS, wide).value_or(std::string());
}

std::string PathFromEnvironment(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value ? PathFromWide(value) : std::string();
}

std::string ToUtf8(std::string_view systemName) {
    return std::string(systemName);
}

std::optional<std::string> FromSjis(std::string_view sjisName) {
    bool ok = false;
    const std::wstring wide = Widen(932, MB_ERR_INVALID_CHARS, sjisName, ok);
    if (!ok) return std::nullopt;
    return Narrow(CP_UTF8, 0, wide);
}

#else

std::string ToUtf8(std::string_view systemName) {
    return std::string(systemName);
}

std::optional<std::string> FromSjis(std::string_view sjisName) {
    return sjis::ToUtf8(sjisName);
}

#endif

}  // namespace quorvel::filenames
