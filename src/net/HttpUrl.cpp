#include "net/HttpUrl.h"

#include <algorithm>
#include <cctype>

#include "net/HttpError.h"
#include "platform/AsciiCase.h"

namespace quorvel::net {

namespace {

std::uint16_t ReadPort(const std::string& text) {
    if (text.empty() || text.size() > 5 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        throw HttpError("Invalid port number");
    const unsigned long value = std::stoul(text);
    if (value == 0 || value > 65535) throw HttpError("Invalid port number");
    return static_cast<std::uint16_t>(value);
}

}  // namespace

std::string StripControls(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) out += c;
    }
    return out;
}

void ParseUrl(const std::string& rawUrl, HttpTarget& target) {
    if (rawUrl.empty()) throw HttpError("Empty URL");
    std::string url = StripControls(rawUrl);
    if (url.empty()) throw HttpError("Empty URL");

    std::uint16_t port = 80;
    const std::size_t doubleSlash = url.find("//");

    std::string path;
    if (doubleSlash != std::string::npos) {
        std::size_t third = std::string::npos;
        int seen = 0;
        for (std::size_t i = 0; i < url.size(); ++i) {
            if (url[i] == '/' && ++seen == 3) {
                third = i;
                break;
            }
        }
        if (third != std::string::npos) path = url.substr(third);
    } else if (const std::size_t slash = url.find('/'); slash != std::string::npos) {
        path = url.substr(slash);
    }
    if (path.size() > kMaxPathLength) path.resize(kMaxPathLength);

    if (const std::size_t colon = url.find(':'); colon != std::string::npos) {
        const std::string scheme = AsciiLower(url.substr(0, colon));
        if (scheme == "https") throw HttpError("HTTP Secure Socket is not supported");
        if (scheme == "gopher")
            port = 70;
        else if (scheme == "ftp")
            port = 21;
    }

    std::string host;
    if (doubleSlash != std::string::npos) {
        const std::size_t start = doubleSlash + 2;
        const std::size_t end = url.find('/', start);
        host = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
    } else if (url[0] != '/') {
        host = url.substr(0, url.find('/'));
    }
    if (const std::size_t colon = host.find(':'); colon != std::string::npos) {
        port = ReadPort(host.substr(colon + 1));
        host.resize(colon);
    }

    // A URL without a host of its own (a relative redirection) keeps the previous host and port.
    if (!host.empty()) {
        target.host = host;
        target.port = port;
    }
    if (path.empty()) {
        path.assign(1, '/');
        url += '/';
    }
    target.url = url;
    target.path = path;
}

std::string BuildGetRequest(const HttpTarget& target, const std::string& cookie) {
    std::string request;
    request += "GET " + StripControls(target.path) + " HTTP/1.0\r\n";
    request += "Host: " + StripControls(target.host) + "\r\n";
    request += "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n";
    request += "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n";
    if (const std::string value = StripControls(cookie); !value.empty())
        request += "Cookie: " + value + "\r\n";
    request += "Content-type: application/x-www-form-urlencoded\r\n";
    request += "\r\n";
    return request;
}

}  // namespace quorvel::net
