// libFuzzer harness for code page 932 conversion, both ways:
// - bytes that decode (no U+FFFD) encode again, and the bytes got back decode to the same text;
// - arbitrary input taken as UTF-8 encodes, up to its first unmappable character, to bytes that
//   decode to exactly that part of the input: never to some other text.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/Sjis.h"

namespace {

// The first `count` characters of UTF-8 text known to be valid that far.
std::string_view Prefix(std::string_view utf8, std::size_t count) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < count && at < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        at += lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    }
    if (at > utf8.size()) std::abort();
    return utf8.substr(0, at);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace sjis = quorvel::sjis;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::string text = sjis::ToUtf8(input);
    if (text.find("\xEF\xBF\xBD") == std::string::npos) {
        const auto encoded = sjis::FromUtf8(text);
        if (!encoded.ok()) std::abort();
        if (sjis::ToUtf8(encoded.bytes) != text) std::abort();
        // A code page 932 text has one canonical form: encoding is stable from there on.
        if (sjis::FromUtf8(sjis::ToUtf8(encoded.bytes)).bytes != encoded.bytes) std::abort();
    }

    const auto encoded = sjis::FromUtf8(input);
    const std::string_view converted = encoded.ok() ? input : Prefix(input, *encoded.badIndex);
    if (sjis::ToUtf8(encoded.bytes) != converted) std::abort();
    if (!encoded.ok()) {
        // The character named as unmappable really has no form of its own.
        if (encoded.badChar <= 0x10FFFF && encoded.badChar != 0xFFFD &&
            sjis::EncodeChar(encoded.badChar))
            std::abort();
    }
    return 0;
}
