// libFuzzer harness for the link tag builder: the output is bounded by its inputs, and neither
// the address nor the subject can end the HREF attribute and write markup of their own.
// Input: a type byte, a target byte, then address, subject and text separated by NUL bytes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sheet/LinkTag.h"

namespace {

std::string_view NextPiece(std::string_view& rest) {
    const auto end = rest.find('\0');
    const std::string_view piece = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    return piece;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int type = data[0] % 3;  // 2 is no known type: a web link
    const int target = data[1] % 3;
    std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::string_view address = NextPiece(rest);
    const std::string_view subject = NextPiece(rest);
    const std::string_view text = rest;

    const std::string tag = quorvel::BuildLinkTag(type, target, address, subject, text);
    if (tag.size() > 3 * (address.size() + subject.size()) + text.size() + 48) std::abort();

    const bool mail = type == quorvel::kLinkMail;
    const std::string_view open = mail ? "<A HREF=\"mailto:" : "<A HREF=\"";
    if (!std::string_view(tag).starts_with(open)) std::abort();
    // The attribute ends at the first quote after it opened, and what follows is the builder's.
    const auto close = tag.find('"', open.size());
    if (close == std::string::npos) std::abort();
    const std::string_view after = std::string_view(tag).substr(close);
    const std::string_view tail = mail                               ? "\">"
                                  : target == quorvel::kTargetNormal ? "\" target=\"_self\">"
                                                                     : "\" target=\"_blank\">";
    if (!after.starts_with(tail)) std::abort();
    if (after.substr(tail.size()) != std::string(text) + "</A>") std::abort();
    return 0;
}
