#pragma once

#include <string>
#include <string_view>

// Anchor tags written into a cell by the link command. Every piece is taken as given: the address,
// subject and visible text are neither trimmed nor escaped, so what the seller typed is what the
// page gets, except that a double quote in the address or subject is written as "%22" so that
// they never end the HREF attribute.
namespace quorvel {

enum LinkTypeCode : int { kLinkWeb = 0, kLinkMail = 1 };
enum LinkTargetCode : int { kTargetNewWindow = 0, kTargetNormal = 1 };

// <A HREF="address" target="_blank">text</A>, or target="_self" when not in a new window.
std::string BuildWebLinkTag(std::string_view address, bool newWindow, std::string_view text);

// <A HREF="mailto:address?Subject=subject">text</A>; "?Subject=" is written even when empty.
std::string BuildMailLinkTag(std::string_view address, std::string_view subject,
                             std::string_view text);

// The tag for a link type code; any code other than mail is a web link. The subject only matters
// for mail links, the target only for web links.
std::string BuildLinkTag(int linkType, int target, std::string_view address,
                         std::string_view subject, std::string_view text);

// True when the address starts, at its first character, with exactly "http://".
bool BeginsWithHttp(std::string_view address);

}  // namespace quorvel
