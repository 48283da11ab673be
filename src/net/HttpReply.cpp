#include "net/HttpReply.h"

#include <algorithm>
#include <cctype>

#include "net/HttpUrl.h"

namespace quorvel::net {

namespace {

std::string TrimLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

std::string TrimSpaces(const std::string& text) {
    std::size_t start = 0;
    std::size_t end = text.size();
    while (start < end && (text[start] == ' ' || text[start] == '\t')) ++start;
    while (end > start && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    return text.substr(start, end - start);
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

int ParseStatusLine(const std::string& rawLine) {
    const std::string line = TrimLineEnd(rawLine);
    std::size_t pos = line.find_first_not_of(' ');
    if (pos == std::string::npos) return 0;
    pos = line.find(' ', pos);
    if (pos == std::string::npos) return 0;
    pos = line.find_first_not_of(' ', pos);
    if (pos == std::string::npos) return 0;
    const std::size_t end = line.find(' ', pos);
    const std::string word = line.substr(pos, end == std::string::npos ? end : end - pos);

    std::size_t i = 0;
    bool negative = false;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) negative = word[i++] == '-';
    if (i == word.size()) return 0;
    long value = 0;
    for (; i < word.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(word[i]))) return 0;
        value = value * 10 + (word[i] - '0');
        if (value > 32768) return 0;
    }
    if (negative) value = -value;
    if (value < -32768 || value > 32767) return 0;
    return static_cast<int>(value);
}

bool ParseHeaderLine(const std::string& line, HeaderField& field) {
    const std::string text = TrimLineEnd(line);
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    field.name = Upper(TrimSpaces(text.substr(0, colon)));
    field.value = StripControls(TrimSpaces(text.substr(colon + 1)));
    return true;
}

long long ParseContentLength(const std::string& value) {
    const std::size_t end = value.find_first_not_of("0123456789");
    const std::size_t digits =
        std::min<std::size_t>(end == std::string::npos ? value.size() : end, 18);
    return digits ? std::stoll(value.substr(0, digits)) : -1;
}

}  // namespace quorvel::net
