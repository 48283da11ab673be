#include "sheet/ImageTag.h"

#include <charconv>

namespace quorvel {
namespace {

// No code page 932 trail byte is a double quote, CR or LF, so the bytes can be looked at alone.
void AppendAddress(std::string& tag, std::string_view address) {
    for (char c : address) {
        if (c == '"')
            tag += "%22";
        else if (c != '\r' && c != '\n')
            tag += c;
    }
}

void AppendAlt(std::string& tag, std::string_view alt) {
    for (std::size_t i = 0; i < alt.size(); ++i) {
        const char c = alt[i];
        if (c == '"') {
            tag += "&quot;";
        } else if (c == '\r' || c == '\n') {
            // CR LF is one break, one space.
            if (c == '\r' && i + 1 < alt.size() && alt[i + 1] == '\n') ++i;
            tag += ' ';
        } else {
            tag += c;
        }
    }
}

}  // namespace

std::string BuildImageTag(std::string_view address, std::string_view alt, int width,
                          bool opensOriginal) {
    std::string tag;
    tag.reserve(2 * address.size() + alt.size() + 120);
    if (opensOriginal) {
        tag += "<A HREF=\"";
        AppendAddress(tag, address);
        tag += "\" target=\"_blank\">";
    }
    tag += "<IMG SRC=\"";
    AppendAddress(tag, address);
    tag += "\" ALT=\"";
    AppendAlt(tag, alt);
    tag += '"';
    if (width > 0) {
        tag += " WIDTH=\"";
        tag += std::to_string(width);
        tag += '"';
    }
    tag += " STYLE=\"max-width:100%;height:auto\">";
    if (opensOriginal) tag += "</A>";
    return tag;
}

bool BeginsWithHttps(std::string_view address) {
    return address.starts_with("https://");
}

std::string AddressFolder(std::string_view address) {
    const auto slash = address.rfind('/');
    if (slash == std::string_view::npos) return {};
    return std::string(address.substr(0, slash + 1));
}

int ParseImageWidth(std::string_view text) {
    if (text.empty() || text.size() > 4) return 0;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return 0;
    return value;
}

}  // namespace quorvel
