#include "sheet/CellMarkup.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/AsciiCase.h"
#include "platform/Sjis.h"

namespace quorvel::markup {
namespace {

constexpr std::size_t npos = std::string_view::npos;

}  // namespace

const Attribute* Token::Find(std::string_view lowerName) const {
    for (const Attribute& attribute : attributes)
        if (attribute.name == lowerName) return &attribute;
    return nullptr;
}

std::size_t Reader::step(std::size_t at) const {
    return encoding_ == Encoding::Cp932 ? at + sjis::CharLength(s_, at) : at + 1;
}

bool Reader::startsMarkup(std::size_t at) const {
    if (at + 1 >= s_.size()) return false;
    const char c = s_[at + 1];
    return IsAsciiLetter(c) || c == '!' || c == '?' || (c == '/' && at + 2 < s_.size());
}

bool Reader::Next(Token& token) {
    const std::size_t n = s_.size();
    if (pos_ >= n) return false;
    token.closed = true;
    token.name.clear();
    token.attributes.clear();
    token.start = pos_;
    if (s_[pos_] == '<' && startsMarkup(pos_)) {
        readMarkup(token);
        pos_ = token.end;
        return true;
    }
    token.kind = TokenKind::Text;
    std::size_t at = pos_;
    while (at < n) {
        // Eight ASCII bytes without a "<" at a time, then character by character.
        while (at + 8 <= n) {
            std::uint64_t word;
            std::memcpy(&word, s_.data() + at, sizeof word);
            constexpr std::uint64_t kOnes = 0x0101010101010101ull;
            const std::uint64_t lt = word ^ (kOnes * '<');
            if (((word | ((lt - kOnes) & ~lt)) & (kOnes << 7)) != 0) break;
            at += 8;
        }
        if (at >= n) break;
        if (s_[at] == '<' && startsMarkup(at)) break;
        at = step(at);
    }
    token.end = pos_ = std::min(at, n);
    return true;
}

void Reader::readMarkup(Token& token) {
    const std::size_t at = token.start + 1;
    const char c = s_[at];
    if (c == '!') {
        if (s_.compare(at + 1, 2, "--") == 0) return readComment(token);
        return readBogus(token, at + 1);
    }
    if (c == '?') return readBogus(token, at);
    if (c == '/') {
        if (IsAsciiLetter(s_[at + 1])) {
            token.kind = TokenKind::EndTag;
            return readTag(token, at + 1);
        }
        if (s_[at + 1] == '>') {
            token.kind = TokenKind::BogusComment;
            token.end = at + 2;
            return;
        }
        return readBogus(token, at + 1);
    }
    token.kind = TokenKind::StartTag;
    readTag(token, at);
}

void Reader::readComment(Token& token) {
    token.kind = TokenKind::Comment;
    const std::size_t n = s_.size();
    std::size_t at = token.start + 4;
    if (at < n && s_[at] == '>') {
        token.end = at + 1;
        return;
    }
    if (s_.compare(at, 2, "->") == 0) {
        token.end = at + 2;
        return;
    }
    for (; at < n; at = step(at)) {
        if (s_[at] != '-') continue;
        if (s_.compare(at, 3, "-->") == 0) {
            token.end = at + 3;
            return;
        }
        if (s_.compare(at, 4, "--!>") == 0) {
            token.end = at + 4;
            return;
        }
    }
    token.end = n;
    token.closed = false;
}

void Reader::readBogus(Token& token, std::size_t from) {
    token.kind = TokenKind::BogusComment;
    for (std::size_t at = from; at < s_.size(); at = step(at)) {
        if (s_[at] == '>') {
            token.end = at + 1;
            return;
        }
    }
    token.end = s_.size();
    token.closed = false;
}

void Reader::readTag(Token& token, std::size_t nameStart) {
    const std::size_t n = s_.size();
    std::size_t at = nameStart;
    while (at < n && !IsBlank(s_[at]) && s_[at] != '/' && s_[at] != '>') at = step(at);
    token.name = AsciiLower(s_.substr(nameStart, std::min(at, n) - nameStart));
    token.closed = readAttributes(token, at);
    if (!token.closed) token.end = n;
}

// The attributes from `at` to the tag's ">"; false when the text ends first.
bool Reader::readAttributes(Token& token, std::size_t at) {
    const std::size_t n = s_.size();
    const auto skipBlanks = [&] {
        while (at < n && IsBlank(s_[at])) ++at;
    };
    while (true) {
        skipBlanks();
        if (at >= n) return false;
        if (s_[at] == '>') {
            token.end = at + 1;
            return true;
        }
        if (s_[at] == '/') {
            ++at;
            continue;
        }
        Attribute attribute;
        attribute.start = at;
        // The first character belongs to the name even when it is "=".
        at = step(at);
        while (at < n && !IsBlank(s_[at]) && s_[at] != '/' && s_[at] != '>' && s_[at] != '=')
            at = step(at);
        at = std::min(at, n);
        attribute.written = s_.substr(attribute.start, at - attribute.start);
        attribute.name = AsciiLower(attribute.written);
        attribute.end = at;
        skipBlanks();
        if (at < n && s_[at] == '=') {
            ++at;
            skipBlanks();
            if (at >= n) return false;
            if (s_[at] == '"' || s_[at] == '\'') {
                const char quote = s_[at];
                const std::size_t from = ++at;
                while (at < n && s_[at] != quote) at = step(at);
                if (at >= n) return false;
                attribute.value = s_.substr(from, at - from);
                ++at;
            } else {
                const std::size_t from = at;
                while (at < n && !IsBlank(s_[at]) && s_[at] != '>') at = step(at);
                at = std::min(at, n);
                attribute.value = s_.substr(from, at - from);
            }
            attribute.end = at;
        }
        token.attributes.push_back(std::move(attribute));
    }
}

std::optional<char32_t> ReadReference(std::string_view text, std::size_t at, std::size_t& length) {
    static constexpr std::pair<std::string_view, char32_t> kNamed[] = {
        {"&amp;", U'&'}, {"&lt;", U'<'}, {"&gt;", U'>'}, {"&quot;", U'"'}, {"&nbsp;", U'\u00A0'}};
    const std::string_view rest = text.substr(at);
    for (const auto& [name, ch] : kNamed) {
        if (!rest.starts_with(name)) continue;
        length = name.size();
        return ch;
    }
    if (!rest.starts_with("&#")) return std::nullopt;
    std::size_t i = 2;
    const bool hex = i < rest.size() && (rest[i] == 'x' || rest[i] == 'X');
    if (hex) ++i;
    const std::size_t digitsStart = i;
    char32_t value = 0;
    for (; i < rest.size() && i - digitsStart < 8; ++i) {
        const char c = rest[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) break;
        value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
    }
    if (i == digitsStart || i >= rest.size() || rest[i] != ';') return std::nullopt;
    length = i + 1;
    return value;
}

std::optional<long> DimensionPixels(std::string_view value) {
    std::size_t i = 0;
    while (i < value.size() && IsBlank(value[i])) ++i;
    const std::size_t digits = i;
    long pixels = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        pixels = std::min(pixels * 10 + (value[i] - '0'), 1000000L);
    if (i == digits) return std::nullopt;
    if (i < value.size() && value[i] == '.')
        for (++i; i < value.size() && value[i] >= '0' && value[i] <= '9';) ++i;
    if (i < value.size() && value[i] == '%') return std::nullopt;
    return pixels;
}

Target TargetOf(std::string_view value) {
    // The value as the attribute holds it, references decoded (only ASCII matters here), without
    // the tabs and line breaks a browser's URL reader leaves out.
    std::string address;
    for (std::size_t i = 0; i < value.size();) {
        std::size_t length = 0;
        const char32_t ch = value[i] == '&' ? ReadReference(value, i, length).value_or(0) : 0;
        const char c = length > 0 && ch < 0x80 ? static_cast<char>(ch) : value[i];
        if (c != '\t' && c != '\r' && c != '\n') address += c;
        i += length > 0 && ch < 0x80 ? length : 1;
    }
    std::string_view rest = address;
    while (!rest.empty() && static_cast<unsigned char>(rest.front()) <= ' ') rest.remove_prefix(1);
    while (!rest.empty() && static_cast<unsigned char>(rest.back()) <= ' ') rest.remove_suffix(1);
    Target target;
    // A scheme is a letter, then letters, digits, "+", "-" and "." up to a ":".
    std::size_t end = 0;
    if (!rest.empty() && IsAsciiLetter(rest[0])) {
        end = 1;
        while (end < rest.size() &&
               (IsAsciiLetter(rest[end]) || (rest[end] >= '0' && rest[end] <= '9') ||
                rest[end] == '+' || rest[end] == '-' || rest[end] == '.'))
            ++end;
    }
    if (end > 0 && end < rest.size() && rest[end] == ':') {
        target.scheme = AsciiLower(rest.substr(0, end));
        rest.remove_prefix(end + 1);
    }
    if (rest.substr(0, 2) != "//") return target;
    rest.remove_prefix(2);
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#\\"));
    if (const std::size_t at = authority.rfind('@'); at != npos) authority.remove_prefix(at + 1);
    target.host = AsciiLower(authority.substr(0, authority.find(':')));
    while (!target.host.empty() && target.host.back() == '.') target.host.pop_back();
    return target;
}

bool IsWeb(const Target& target) {
    return target.scheme == "http" || target.scheme == "https" ||
           (target.scheme.empty() && !target.host.empty());
}

std::optional<MailAddress> NextMailAddress(std::string_view text, std::size_t from,
                                           std::size_t to) {
    std::size_t walk = from;        // a character boundary
    std::size_t localStart = npos;  // where a run of mail-name bytes began, before `walk`
    while (walk < to) {
        const void* sign = std::memchr(text.data() + walk, '@', to - walk);
        if (!sign) return std::nullopt;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(sign) - text.data());
        // An "@" byte may be the second byte of a double-byte character (as in the ideographic
        // space): the characters are walked from the last boundary, each once.
        while (walk < at) {
            const std::size_t length = sjis::CharLength(text, walk);
            if (length == 2 || !IsMailLocal(static_cast<unsigned char>(text[walk])))
                localStart = npos;
            else if (localStart == npos)
                localStart = walk;
            walk += length;
        }
        if (walk == at && localStart != npos) {
            std::size_t end = at + 1;
            while (end < to && IsDomain(static_cast<unsigned char>(text[end]))) ++end;
            while (end > at + 1 && text[end - 1] == '.') --end;
            const std::size_t lastDot = text.rfind('.', end - 1);
            if (lastDot != npos && lastDot > at + 1 && end - lastDot >= 3)
                return MailAddress{localStart, at, end};
        }
        if (walk == at) ++walk;
        localStart = npos;
    }
    return std::nullopt;
}

}  // namespace quorvel::markup
