#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "sheet/DescriptionSheet.h"

// A design: how a sheet looks without what it says. The formats of the 22 cells and the table
// style, kept apart from any text so that a seller can put one look on many listings.
namespace quorvel {

struct Design {
    // In the sheet's canonical order: index 0 the title, 1..20 the row cells, 21 the note.
    std::array<TCellFormat, kCellCount> Formats{};
    TTableStyle Style{};

    bool operator==(const Design&) const = default;
};

// The look of `sheet`.
Design DesignOf(const TDescriptionSheet& sheet);
// Puts the look on `sheet`; texts, include flags and modified flags stay as they are.
void ApplyDesign(const Design& design, TDescriptionSheet& sheet);

// The design file. UTF-8 text with LF line ends (CR LF is read as well): the magic line
// "QuorvelDesign", a "version" line, the design's name, the table style and one line per cell,
// closed by "end". UTF-8 rather than code page 932 because the name is typed in the editor's own
// text and the file never leaves the user's folder.
inline constexpr std::string_view kDesignMagic = "QuorvelDesign";
inline constexpr int kDesignFileVersion = 1;
// A design file is a few kilobytes; anything far larger is not one.
inline constexpr std::size_t kDesignFileMaxBytes = 16 * 1024;

std::string WriteDesignFile(const std::string& nameUtf8, const Design& design);

struct DesignFileContents {
    std::string name;  // UTF-8
    Design design;
};
struct DesignFileRead {
    std::optional<DesignFileContents> contents;
    std::string error;  // UTF-8, for the user; empty when the file was read
};
// Every field must be present once and within its range; the file is refused as a whole
// otherwise, with the reason in Japanese.
DesignFileRead ReadDesignFile(std::string_view bytes);

}  // namespace quorvel
