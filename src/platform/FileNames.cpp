#include "platform/FileNames.h"

#include "platform/Sjis.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace quorvel::filenames {

#ifdef _WIN32

namespace {

std::wstring Widen(UINT codePage, DWORD flags, std::string_view bytes, bool& ok) {
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

}  // namespace

std::string ToUtf8(std::string_view systemName) {
    bool ok = false;
    // Without MB_ERR_INVALID_CHARS a stray byte becomes U+FFFD instead of failing the whole name.
    const std::wstring wide = Widen(CP_ACP, 0, systemName, ok);
    if (!ok || wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::optional<std::string> FromSjis(std::string_view sjisName) {
    if (GetACP() == 932) {
        bool ok = false;
        Widen(932, MB_ERR_INVALID_CHARS, sjisName, ok);
        if (!ok) return std::nullopt;
        return std::string(sjisName);
    }
    bool ok = false;
    const std::wstring wide = Widen(932, MB_ERR_INVALID_CHARS, sjisName, ok);
    if (!ok) return std::nullopt;
    if (wide.empty()) return std::string();
    if (GetACP() == CP_UTF8) {
        // UTF-8 spells every character; it takes neither flags nor a lossy report.
        const int size = static_cast<int>(wide.size());
        const int length =
            WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
        if (length <= 0) return std::nullopt;
        std::string name(static_cast<std::size_t>(length), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, name.data(), length, nullptr, nullptr);
        return name;
    }
    // No best-fit: a character the code page lacks must not turn into a look-alike such as a
    // backslash or a quote.
    const int size = static_cast<int>(wide.size());
    BOOL lossy = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr,
                                           0, nullptr, &lossy);
    if (length <= 0 || lossy) return std::nullopt;
    std::string name(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, name.data(), length,
                        nullptr, &lossy);
    if (lossy) return std::nullopt;
    return name;
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
