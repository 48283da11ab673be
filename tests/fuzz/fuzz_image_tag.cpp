// libFuzzer harness for the picture tag builder: the tag is one line, bounded by its inputs, and
// neither the address nor the text can end its attribute and write markup of their own.
// Input: a flags byte, two width bytes, then address and text separated by a NUL byte.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sheet/ImageTag.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const bool linked = data[0] & 1;
    const int width = (data[1] << 8 | data[2]) % 12000;
    std::string_view rest(reinterpret_cast<const char*>(data) + 3, size - 3);
    const auto nul = rest.find('\0');
    const std::string_view address = rest.substr(0, nul);
    const std::string_view alt = nul == std::string_view::npos ? "" : rest.substr(nul + 1);

    const std::string tag = quorvel::BuildImageTag(address, alt, width, linked);
    if (tag.size() > 3 * address.size() * 2 + 6 * alt.size() + 160) std::abort();
    if (tag.find('\r') != std::string::npos || tag.find('\n') != std::string::npos) std::abort();
    // Quotes only where the builder puts them: 2 per attribute.
    std::size_t quotes = 0;
    for (char c : tag) quotes += c == '"';
    const std::size_t expected = 2 * (3 + (width > 0) + (linked ? 2 : 0));
    if (quotes != expected) std::abort();
    const std::string_view open = linked ? "<A HREF=\"" : "<IMG SRC=\"";
    if (!std::string_view(tag).starts_with(open)) std::abort();
    if (!std::string_view(tag).ends_with(linked ? "></A>" : "height:auto\">")) std::abort();
    if (!std::string_view(tag).starts_with(open)) std::abort();
    return 0;
}
