// libFuzzer harness: any URL (and a relative one after it, as a redirection gives) is taken apart
// within bounds or refused with a known error, and the request built from it never carries a
// line of its own making, whatever cookie a server handed over.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "http_request_lines.h"
#include "net/HttpError.h"
#include "net/HttpUrl.h"

using namespace quorvel::net;

namespace {

// The input as up to three NUL-separated parts: URL, redirection, cookie.
std::string Part(const std::string& input, int index) {
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) {
        start = input.find('\0', start);
        if (start == std::string::npos) return "";
        ++start;
    }
    const std::size_t end = input.find('\0', start);
    return input.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool KnownRefusal(const std::string& text) {
    return text == "Empty URL" || text == "HTTP Secure Socket is not supported" ||
           text == "Invalid port number";
}

// False when the URL was refused.
bool ParseChecked(const std::string& url, HttpTarget& target) {
    const HttpTarget before = target;
    try {
        ParseUrl(url, target);
    } catch (const HttpError& error) {
        if (!KnownRefusal(error.what())) std::abort();
        return false;
    }
    if (target.path.empty() || target.path[0] != '/' || target.path.size() > kMaxPathLength ||
        fuzzcheck::HasControls(target.path) || fuzzcheck::HasControls(target.host) ||
        fuzzcheck::HasControls(target.url) || target.port == 0 ||
        target.host.find_first_of("/:") != std::string::npos)
        std::abort();
    // A URL without a host of its own keeps the one before, and its port.
    if (target.host.empty() && !before.host.empty()) std::abort();
    return true;
}

void CheckRequest(const HttpTarget& target, const std::string& cookie) {
    const std::string request = BuildGetRequest(target, cookie);
    if (!fuzzcheck::WellFormedRequest(request)) std::abort();
    const auto lines = fuzzcheck::RequestLines(request);
    if (lines[0] != "GET " + target.path + " HTTP/1.0" || lines[1] != "Host: " + target.host)
        std::abort();
    const bool cookieLine = lines.size() == 6;
    if (cookieLine == StripControls(cookie).empty()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    HttpTarget target;
    if (!ParseChecked(Part(input, 0), target)) return 0;
    const std::string cookie = Part(input, 2);
    CheckRequest(target, cookie);
    if (ParseChecked(Part(input, 1), target)) CheckRequest(target, cookie);
    return 0;
}
