#include "sheet/DisplayName.h"

#include "platform/Sjis.h"

namespace quorvel {

std::string DisplayName(std::string_view path, bool alsoSlash) {
    std::size_t nameStart = 0;
    for (std::size_t i = 0; i < path.size();) {
        const auto byte = static_cast<unsigned char>(path[i]);
        if (sjis::IsLeadByte(byte) && i + 1 < path.size()) {
            i += 2;
            continue;
        }
        if (byte == '\\' || byte == ':' || (alsoSlash && byte == '/')) nameStart = i + 1;
        ++i;
    }
    const std::string_view name = path.substr(nameStart);
    // The last "." of the name, again skipping second bytes.
    std::size_t dot = std::string_view::npos;
    for (std::size_t i = 0; i < name.size();) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (sjis::IsLeadByte(byte) && i + 1 < name.size()) {
            i += 2;
            continue;
        }
        if (byte == '.') dot = i;
        ++i;
    }
    return std::string(name.substr(0, dot));
}

}  // namespace quorvel
