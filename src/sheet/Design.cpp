#include "sheet/Design.h"

#include <algorithm>
#include <bitset>
#include <charconv>
#include <cstdio>
#include <vector>

#include "platform/Sjis.h"

namespace quorvel {

namespace {

constexpr int kFieldsPerLine = 6;
// Lines after the version: name, table, 22 cells.
constexpr int kBodyLines = 2 + kCellCount;

const char kNotDesign[] = "デザインファイルではありません";
const char kTruncated[] = "デザインファイルが途中で切れています";
const char kNewer[] = "新しい版の Quorvel で保存されたデザインなので読めません";

std::string badLine(std::size_t lineNumber) {
    return "デザインファイルの " + std::to_string(lineNumber) + " 行目が正しくありません";
}

std::string hex8(TColor colour) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(colour));
    return text;
}

// long long: a system colour (0x80......) does not fit a 32-bit long, as on Windows.
std::optional<long long> parseNumber(std::string_view text, int base) {
    long long value = 0;
    const char* end = text.data() + text.size();
    auto [at, error] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || error != std::errc() || at != end) return std::nullopt;
    return value;
}

std::optional<long long> inRange(std::string_view text, long long low, long long high) {
    auto value = parseNumber(text, 10);
    if (!value || *value < low || *value > high) return std::nullopt;
    return value;
}

// Eight hexadecimal digits; a plain colour or a system colour, as a data file may hold.
std::optional<TColor> colourValue(std::string_view text) {
    if (text.size() != 8) return std::nullopt;
    auto value = parseNumber(text, 16);
    if (!value) return std::nullopt;
    const auto colour = static_cast<TColor>(*value);
    const unsigned high = colour >> 24;
    if (high != 0x00 && high != 0x80) return std::nullopt;
    return colour;
}

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t space = text.find(' ', at);
        const std::size_t end = space == std::string_view::npos ? text.size() : space;
        out.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

std::optional<TTableStyle> tableStyle(std::string_view value) {
    const auto field = words(value);
    if (field.size() != kFieldsPerLine) return std::nullopt;
    const auto tableAlign = inRange(field[0], 0, 2);
    const auto borderWidth = inRange(field[1], 0, 9);
    const auto borderColour = colourValue(field[2]);
    const auto borderSet = inRange(field[3], 0, 1);
    const auto padding = inRange(field[4], 0, 9);
    const auto bannerAlign = inRange(field[5], 0, 2);
    if (!tableAlign || !borderWidth || !borderColour || !borderSet || !padding || !bannerAlign)
        return std::nullopt;
    TTableStyle style;
    style.TableAlign = static_cast<int>(*tableAlign);
    style.BorderWidth = static_cast<int>(*borderWidth);
    style.BorderColor = *borderColour;
    style.BorderColorSet = *borderSet == 1;
    style.CellPadding = static_cast<int>(*padding);
    style.BannerAlign = static_cast<int>(*bannerAlign);
    return style;
}

std::optional<TCellFormat> cellFormat(std::string_view value) {
    const auto field = words(value);
    if (field.size() != kFieldsPerLine) return std::nullopt;
    const auto fontColour = colourValue(field[0]);
    const auto size = inRange(field[1], 7, 18);
    const auto style = inRange(field[2], 0, 7);
    const auto backColour = colourValue(field[3]);
    const auto hAlign = inRange(field[4], 0, 2);
    const auto vAlign = inRange(field[5], 0, 2);
    if (!fontColour || !size || !style || !backColour || !hAlign || !vAlign) return std::nullopt;
    TCellFormat format;
    format.FontColor = *fontColour;
    format.FontSize = static_cast<int>(*size);
    format.Bold = (*style & 1) != 0;
    format.Italic = (*style & 2) != 0;
    format.Underline = (*style & 4) != 0;
    format.BackColor = *backColour;
    format.HAlign = static_cast<int>(*hAlign);
    format.VAlign = static_cast<int>(*vAlign);
    return format;
}

// A name a seller could have typed: UTF-8 with no control characters.
bool plausibleName(std::string_view name) {
    if (name.empty()) return false;
    std::size_t pos = 0;
    while (pos < name.size()) {
        const auto ch = sjis::NextUtf8(name, pos);
        if (!ch || *ch < 0x20 || *ch == 0x7F) return false;
    }
    return true;
}

std::vector<std::string_view> splitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = bytes.find('\n', at);
        std::string_view line =
            bytes.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        at = end + 1;
    }
    return lines;
}

DesignFileRead refused(std::string message) {
    return {std::nullopt, std::move(message)};
}

}  // namespace

Design DesignOf(const TDescriptionSheet& sheet) {
    Design design;
    for (int index = 0; index < kCellCount; ++index)
        design.Formats[index] = sheet.CellAt(index).Format;
    design.Style = sheet.Style;
    return design;
}

void ApplyDesign(const Design& design, TDescriptionSheet& sheet) {
    for (int index = 0; index < kCellCount; ++index)
        sheet.CellAt(index).Format = design.Formats[index];
    sheet.Style = design.Style;
}

std::string WriteDesignFile(const std::string& nameUtf8, const Design& design) {
    std::string out;
    out.append(kDesignMagic).append("\nversion ").append(std::to_string(kDesignFileVersion));
    // A line break in the name would end its line early: it is written as a space.
    std::string name = nameUtf8;
    for (char& c : name)
        if (c == '\n' || c == '\r') c = ' ';
    out.append("\nname=").append(name);
    const TTableStyle& s = design.Style;
    out.append("\ntable=")
        .append(std::to_string(s.TableAlign) + ' ' + std::to_string(s.BorderWidth) + ' ' +
                hex8(s.BorderColor) + ' ' + (s.BorderColorSet ? "1" : "0") + ' ' +
                std::to_string(s.CellPadding) + ' ' + std::to_string(s.BannerAlign));
    for (int index = 0; index < kCellCount; ++index) {
        const TCellFormat& f = design.Formats[index];
        const int style = (f.Bold ? 1 : 0) | (f.Italic ? 2 : 0) | (f.Underline ? 4 : 0);
        out.append("\ncell" + std::to_string(kTitleTag + index) + '=')
            .append(hex8(f.FontColor) + ' ' + std::to_string(f.FontSize) + ' ' +
                    std::to_string(style) + ' ' + hex8(f.BackColor) + ' ' +
                    std::to_string(f.HAlign) + ' ' + std::to_string(f.VAlign));
    }
    out.append("\nend\n");
    return out;
}

DesignFileRead ReadDesignFile(std::string_view bytes) {
    if (bytes.size() > kDesignFileMaxBytes) return refused(kNotDesign);
    const auto lines = splitLines(bytes);
    if (lines.empty() || lines[0] != kDesignMagic) return refused(kNotDesign);
    if (lines.size() < 2) return refused(kTruncated);
    const auto version = words(lines[1]);
    if (version.size() != 2 || version[0] != "version") return refused(badLine(2));
    const auto number = parseNumber(version[1], 10);
    if (!number || *number < 1) return refused(badLine(2));
    if (*number > kDesignFileVersion) return refused(kNewer);

    // A file without its last line was cut short, whatever its last line now holds.
    const auto endLine = std::find(lines.begin() + 2, lines.end(), std::string_view("end"));
    if (endLine == lines.end()) return refused(kTruncated);

    DesignFileContents read;
    std::bitset<kBodyLines> seen;  // 0 name, 1 table, 2.. the cells
    std::size_t at = 2;
    for (; lines[at] != "end"; ++at) {
        const std::string_view line = lines[at];
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) return refused(badLine(at + 1));
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        int slot = -1;
        if (key == "name" && plausibleName(value)) {
            slot = 0;
            read.name.assign(value);
        } else if (key == "table") {
            if (auto style = tableStyle(value)) {
                slot = 1;
                read.design.Style = *style;
            }
        } else if (key.substr(0, 4) == "cell") {
            const auto tag = inRange(key.substr(4), kTitleTag, kNoteTag);
            const auto format = tag ? cellFormat(value) : std::nullopt;
            if (format) {
                slot = 2 + static_cast<int>(*tag - kTitleTag);
                read.design.Formats[slot - 2] = *format;
            }
        }
        if (slot < 0 || seen.test(slot)) return refused(badLine(at + 1));
        seen.set(slot);
    }
    // Only an empty last line may follow "end".
    if (at + 1 < lines.size() && !(at + 2 == lines.size() && lines.back().empty()))
        return refused(badLine(at + 2));
    if (!seen.all()) return refused(kTruncated);
    return {std::move(read), {}};
}

}  // namespace quorvel
