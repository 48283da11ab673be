// libFuzzer harness: any settings file text parses without crashing, and a parsed file written
// out again parses to the very same values (names, types, numbers and text bytes).
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/KeyFileCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const auto values = quorvel::ParseKeyFile(content);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i].name.empty()) std::abort();
        for (std::size_t j = 0; j < i; ++j)
            if (quorvel::SameKeyName(values[i].name, values[j].name)) std::abort();
    }
    const std::string written = quorvel::FormatKeyFile(values);
    if (quorvel::ParseKeyFile(written) != values) std::abort();
    // Writing is stable: the written file is already in its own form.
    if (quorvel::FormatKeyFile(quorvel::ParseKeyFile(written)) != written) std::abort();
    return 0;
}
