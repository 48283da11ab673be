#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sheet/DescriptionSheet.h"

// What in a sheet would break, be refused or look wrong on an auction listing page: markup typed
// into a cell that does not close, active content, insecure or off-site addresses, sizes over the
// limits and lines wider than a phone. It reads the sheet and its tag text and changes nothing.
namespace quorvel {

enum class CheckKind { Markup, ActiveContent, Address, Size, PhoneWidth };

// Where the listing goes: every marketplace but the generic one adds its own rules.
enum class CheckMarket { Generic, Yahoo, Ebay, Text };

// The tag of a finding about the page as a whole rather than one cell.
constexpr int kWholePage = 0;
// The tag of a finding about the footer the generator always adds.
constexpr int kFooterTag = -1;
constexpr std::size_t kDefaultCheckMaxChars = 500000;
constexpr int kDefaultPhoneWidth = 375;
// What the page's picture store keeps at the most, in pictures and in megabytes.
constexpr int kPicturesKept = 128;
constexpr int kPictureMegabytesKept = 128;

struct CheckFinding {
    CheckKind kind = CheckKind::Markup;
    int tag = kWholePage;    // the cell (1000..1021), kWholePage or kFooterTag
    std::size_t offset = 0;  // where the offending text starts in the cell's bytes
    std::size_t length = 0;  // its length in bytes
    std::string message;     // UTF-8
    std::string text;        // the offending text, UTF-8, cut short when long
};

struct CheckOptions {
    std::size_t maxChars = kDefaultCheckMaxChars;
    int phoneWidth = kDefaultPhoneWidth;
    // The page's width as a browser laid it out at phoneWidth; none when not measured.
    std::optional<int> measuredPageWidth;
    // With it, when the layout says which: the cells whose boxes run past phoneWidth. A cell
    // the estimate blamed that stays inside is then cleared.
    std::optional<std::vector<int>> measuredWideCells;
    CheckMarket market = CheckMarket::Generic;
    // Pictures the measured width could not count (named without a size, and never loaded):
    // their addresses, one finding each.
    std::vector<std::string> unloadedPictures;
    // Of those named without a size, how many lie beyond the number or the bytes of pictures
    // kept in all, and the first of them: one finding for them all.
    int picturesBeyondCount = 0;
    int picturesBeyondBytes = 0;
    std::string firstPictureBeyond;
};

struct ListingCheckResult {
    std::vector<CheckFinding> findings;  // by cell in the sheet's order, the page last
    std::size_t chars = 0;               // the tag text's length in characters
    std::size_t bytes = 0;               // and in bytes
    CheckMarket market = CheckMarket::Generic;
};

// Checks the included cells of `sheet` and the tag text made from it (code page 932 bytes).
ListingCheckResult CheckListing(const TDescriptionSheet& sheet, std::string_view tags,
                                const CheckOptions& options = {});

// The cell as its include box names it ("タイトル", "項目３", "説明１０", "枠外注記"), UTF-8;
// "ページ全体" for kWholePage, "フッター" for kFooterTag.
std::string CellCaption(int tag);
// The kind as the check lists it, UTF-8.
const char* CheckKindName(CheckKind kind);
// "問題なし" or "注意 N 件".
std::string CheckSummary(const ListingCheckResult& result);
// One line for a listing: caption, message and the offending text.
std::string FindingLine(const CheckFinding& finding);

// A finding about the bytes [start, end) of a cell's text, with its excerpt: long enough to
// recognise, short enough for one row, never split inside a character, without line breaks.
CheckFinding CellFinding(CheckKind kind, int tag, std::string_view cellText, std::size_t start,
                         std::size_t end, std::string message);

// The cell-by-cell part of the check, one cell at a time; findings in the order of the text.
// `phoneWidth` 0 leaves out the width estimate.
void CheckCell(const TSheetCell& cell, const TTableStyle& style, int phoneWidth,
               std::vector<CheckFinding>& out);

}  // namespace quorvel
