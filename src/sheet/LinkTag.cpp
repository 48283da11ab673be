#include "sheet/LinkTag.h"

namespace quorvel {
namespace {

// A double quote would end the HREF attribute and let the rest of the address write markup of
// its own; in an address it means the same written as "%22". No code page 932 trail byte is 0x22.
void AppendQuoted(std::string& tag, std::string_view piece) {
    for (char c : piece) {
        if (c == '"')
            tag += "%22";
        else
            tag += c;
    }
}

}  // namespace

std::string BuildWebLinkTag(std::string_view address, bool newWindow, std::string_view text) {
    std::string tag;
    tag.reserve(address.size() + text.size() + 32);
    tag += "<A HREF=\"";
    AppendQuoted(tag, address);
    tag += "\" target=\"";
    tag += newWindow ? "_blank" : "_self";
    tag += "\">";
    tag += text;
    tag += "</A>";
    return tag;
}

std::string BuildMailLinkTag(std::string_view address, std::string_view subject,
                             std::string_view text) {
    std::string tag;
    tag.reserve(address.size() + subject.size() + text.size() + 32);
    tag += "<A HREF=\"mailto:";
    AppendQuoted(tag, address);
    tag += "?Subject=";
    AppendQuoted(tag, subject);
    tag += "\">";
    tag += text;
    tag += "</A>";
    return tag;
}

std::string BuildLinkTag(int linkType, int target, std::string_view address,
                         std::string_view subject, std::string_view text) {
    if (linkType == kLinkMail) return BuildMailLinkTag(address, subject, text);
    return BuildWebLinkTag(address, target != kTargetNormal, text);
}

bool BeginsWithHttp(std::string_view address) {
    return address.starts_with("http://");
}

}  // namespace quorvel
