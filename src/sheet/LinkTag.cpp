#include "sheet/LinkTag.h"

namespace quorvel {

std::string BuildWebLinkTag(std::string_view address, bool newWindow, std::string_view text) {
    std::string tag;
    tag.reserve(address.size() + text.size() + 32);
    tag += "<A HREF=\"";
    tag += address;
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
    tag += address;
    tag += "?Subject=";
    tag += subject;
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
