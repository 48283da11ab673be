#include "platform/FileNames.h"

#include "platform/Sjis.h"

#ifdef _WIN32
#include <windows.h>
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

std::string ToUtf8(std::string_view systemName) {
    bool ok = false;
    // Without MB_ERR_INVALID_CHARS a stray byte becomes U+FFFD instead of failing the whole name.
    const std::wstring wide = Widen(CP_ACP, 0, systemName, ok);
    if (!ok) return {};
    return Narrow(CP_UTF8, 0, wide).value_or(std::string());
}

std::optional<std::string> FromSjis(std::string_view sjisName) {
    bool ok = false;
    const std::wstring wide = Widen(932, MB_ERR_INVALID_CHARS, sjisName, ok);
    if (!ok) return std::nullopt;
    if (GetACP() == 932) return std::string(sjisName);
    // No best-fit: a character the code page lacks must not turn into a look-alike such as a
    // backslash or a quote.
    return Narrow(CP_ACP, GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS, wide);
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
