#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sheet/DescriptionSheet.h"

// Filling a template sheet with one listing's texts: the cells are named by the captions of their
// include boxes ("タイトル", "項目１" … "項目１０", "説明１" … "説明１０", "枠外注記").
namespace quorvel {

// The cell a column name (UTF-8) stands for; ASCII digits are accepted beside full-width ones.
// Nothing for any other name.
std::optional<int> CellTagForCaption(std::string_view utf8Name);

// Every line break (CR LF, LF or a lone CR) as CR LF, the form the sheet keeps.
std::string WithSheetLineBreaks(std::string_view text);

struct ListingText {
    int tag;           // the cell, 1000..1021
    std::string text;  // code page 932 bytes, lines already separated by CR LF
};

// A copy of the template whose named cells hold the given texts; formats and other cells stay as
// the template has them. With `skipEmpty` a named cell left empty is excluded from the output.
TDescriptionSheet MergeListing(const TDescriptionSheet& templateSheet,
                               const std::vector<ListingText>& texts, bool skipEmpty);

}  // namespace quorvel
