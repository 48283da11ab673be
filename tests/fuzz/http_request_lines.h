#pragma once

// What every GET request the client sends must look like, whatever went into it.
#include <string>
#include <vector>

namespace fuzzcheck {

// The request's lines without their CR LF; empty when a CR or LF stands anywhere but in a line
// end, or when the request does not end with the empty line.
inline std::vector<std::string> RequestLines(const std::string& request) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = request.find_first_of("\r\n", start);
        if (end == std::string::npos) break;
        if (request.compare(end, 2, "\r\n") != 0) return {};
        lines.push_back(request.substr(start, end - start));
        start = end + 2;
    }
    if (start != request.size() || lines.empty() || !lines.back().empty()) return {};
    lines.pop_back();
    return lines;
}

inline bool HasControls(const std::string& text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return true;
    }
    return false;
}

// Exactly the fixed lines, plus the cookie line when there is one; no line carries a control.
inline bool WellFormedRequest(const std::string& request) {
    const std::vector<std::string> lines = RequestLines(request);
    if (lines.size() != 5 && lines.size() != 6) return false;
    for (const std::string& line : lines)
        if (HasControls(line)) return false;
    const bool cookie = lines.size() == 6;
    return lines[0].rfind("GET /", 0) == 0 && lines[0].size() >= 14 &&
           lines[0].compare(lines[0].size() - 9, 9, " HTTP/1.0") == 0 &&
           lines[1].rfind("Host: ", 0) == 0 && lines[2].rfind("Accept: ", 0) == 0 &&
           lines[3].rfind("Accept: ", 0) == 0 &&
           (!cookie || (lines[4].rfind("Cookie: ", 0) == 0 && lines[4].size() > 8)) &&
           lines.back() == "Content-type: application/x-www-form-urlencoded";
}

}  // namespace fuzzcheck
