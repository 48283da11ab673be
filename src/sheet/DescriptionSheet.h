#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quorvel {

// Windows colour value 0x00BBGGRR; a high byte of 0x80 names a system colour.
using TColor = std::uint32_t;

// Cell horizontal alignment (note: right comes before center).
enum HAlignCode : int { kHAlignLeft = 0, kHAlignRight = 1, kHAlignCenter = 2 };
// Table and footer-link alignment.
enum BlockAlignCode : int { kAlignLeft = 0, kAlignCenter = 1, kAlignRight = 2 };
enum VAlignCode : int { kVAlignTop = 0, kVAlignCenter = 1, kVAlignBottom = 2 };

constexpr int kRowCount = 10;
constexpr int kCellCount = 22;
constexpr int kTitleTag = 1000;
constexpr int kNoteTag = 1021;
constexpr int kCellMaxInputBytes = 1000;

constexpr int ItemTag(int row) {
    return 999 + 2 * row;
}  // row 1..10
constexpr int DescriptionTag(int row) {
    return 1000 + 2 * row;
}  // row 1..10
constexpr bool IsCellTag(int tag) {
    return tag >= kTitleTag && tag <= kNoteTag;
}
constexpr bool IsRowCellTag(int tag) {
    return tag > kTitleTag && tag < kNoteTag;
}

struct TCellFormat {
    TColor FontColor = 0x00000000;
    int FontSize = 9;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    TColor BackColor = 0x00FFFFFF;
    int HAlign = kHAlignLeft;
    int VAlign = kVAlignTop;

    bool operator==(const TCellFormat&) const = default;
};

struct TSheetCell {
    int Tag = kTitleTag;
    std::string Text;  // code page 932 bytes, lines separated by CR LF
    TCellFormat Format;
    bool Modified = false;
};

struct TSheetRow {
    TSheetCell Item;
    TSheetCell Description;
    bool IncludeItem = true;
    bool IncludeDescription = true;
};

struct TTableStyle {
    int TableAlign = kAlignCenter;
    int BorderWidth = 1;
    TColor BorderColor = 0x00FF0000;
    bool BorderColorSet = true;
    int CellPadding = 0;
    int BannerAlign = kAlignLeft;

    bool operator==(const TTableStyle&) const = default;
};

class TDescriptionSheet {
  public:
    TDescriptionSheet();

    TSheetCell Title;
    bool IncludeTitle = true;
    std::array<TSheetRow, kRowCount> Rows;
    TSheetCell Note;
    bool IncludeNote = true;
    TTableStyle Style;

    void ResetSheet();

    // Cells by Tag (1000..1021); throws std::out_of_range for any other value.
    TSheetCell& CellByTag(int tag);
    const TSheetCell& CellByTag(int tag) const;
    bool& IncludedByTag(int tag);
    bool IncludedByTag(int tag) const;

    // Canonical order: index 0 is the title, 1..20 the row cells, 21 the note.
    TSheetCell& CellAt(int index) { return CellByTag(kTitleTag + index); }
    const TSheetCell& CellAt(int index) const { return CellByTag(kTitleTag + index); }

    bool AnyCellModified() const;
    void ClearModified();

    // The twenty row cells in canonical order: the reach of apply-to-all.
    static const std::array<int, 2 * kRowCount>& ApplyToAllTags();
};

}  // namespace quorvel
