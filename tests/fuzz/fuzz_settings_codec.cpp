// libFuzzer harness: every byte string survives the settings file's text escape exactly, the
// escaped form is one line, and any text that decodes encodes to a form that decodes the same.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/KeyFileCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string encoded = quorvel::EncodeKeyFileText(bytes);
    if (encoded.find_first_of("\r\n", 0) != std::string::npos) std::abort();
    const auto decoded = quorvel::DecodeKeyFileText(encoded);
    if (!decoded || *decoded != bytes) std::abort();

    // The same input read as an escaped text from a file someone edited.
    if (const auto text = quorvel::DecodeKeyFileText(bytes)) {
        const auto back = quorvel::DecodeKeyFileText(quorvel::EncodeKeyFileText(*text));
        if (!back || *back != *text) std::abort();
    }
    return 0;
}
