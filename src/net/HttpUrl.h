#pragma once

#include <cstdint>
#include <string>

namespace quorvel::net {

inline constexpr std::size_t kMaxPathLength = 256;

// Where one request cycle goes. The host and port carry over from the previous cycle when a URL
// (a relative redirection) names none.
struct HttpTarget {
    std::string url;
    std::string host;
    std::uint16_t port = 80;
    std::string path;
};

// Takes `url` apart into `target`. Throws HttpError "Empty URL", "HTTP Secure Socket is not
// supported", or "Invalid port number". A URL without a path gets "/" appended.
void ParseUrl(const std::string& url, HttpTarget& target);

// The request lines of a GET, each ended by CR LF, then the empty line. The cookie line is left
// out when `cookie` is empty.
std::string BuildGetRequest(const HttpTarget& target, const std::string& cookie);

// Control characters removed, so a value taken from a reply cannot add request lines.
std::string StripControls(const std::string& text);

}  // namespace quorvel::net
