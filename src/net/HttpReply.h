#pragma once

#include <string>

// Reading the lines of an HTTP reply's head.
namespace quorvel::net {

// The status of a status line: its second word as a 16-bit signed number, 0 when missing or not
// a number.
int ParseStatusLine(const std::string& line);

// A header line taken apart: the name in upper case, the value without the line end, the blanks
// around it or any control character (a value may travel on into a later request).
struct HeaderField {
    std::string name;
    std::string value;
};

// False when the line has no ':'.
bool ParseHeaderLine(const std::string& line, HeaderField& field);

// The digits a Content-Length value starts with, -1 when there are none.
long long ParseContentLength(const std::string& value);

}  // namespace quorvel::net
