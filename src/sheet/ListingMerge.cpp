#include "sheet/ListingMerge.h"

namespace quorvel {
namespace {

// "１０", "10", "３" or "3" as 1..10; 0 for anything else.
int RowNumber(std::string_view digits) {
    static constexpr std::string_view kWide[] = {"０", "１", "２", "３", "４",
                                                 "５", "６", "７", "８", "９"};
    int value = 0;
    int count = 0;
    while (!digits.empty()) {
        int digit = -1;
        if (digits[0] >= '0' && digits[0] <= '9') {
            digit = digits[0] - '0';
            digits.remove_prefix(1);
        } else {
            for (int d = 0; d < 10; ++d) {
                if (digits.substr(0, kWide[d].size()) == kWide[d]) {
                    digit = d;
                    digits.remove_prefix(kWide[d].size());
                    break;
                }
            }
        }
        if (digit < 0 || ++count > 2) return 0;
        value = value * 10 + digit;
    }
    // "01" is not a caption the editor shows.
    if (count == 2 && value < 10) return 0;
    return value >= 1 && value <= kRowCount ? value : 0;
}

}  // namespace

std::optional<int> CellTagForCaption(std::string_view name) {
    if (name == "タイトル") return kTitleTag;
    if (name == "枠外注記") return kNoteTag;
    constexpr std::string_view kItem = "項目";
    constexpr std::string_view kDescription = "説明";
    if (name.starts_with(kItem)) {
        if (const int row = RowNumber(name.substr(kItem.size()))) return ItemTag(row);
    } else if (name.starts_with(kDescription)) {
        if (const int row = RowNumber(name.substr(kDescription.size()))) return DescriptionTag(row);
    }
    return std::nullopt;
}

std::string WithSheetLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += "\r\n";
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

TDescriptionSheet MergeListing(const TDescriptionSheet& templateSheet,
                               const std::vector<ListingText>& texts, bool skipEmpty) {
    TDescriptionSheet sheet = templateSheet;
    for (const ListingText& entry : texts) {
        TSheetCell& cell = sheet.CellByTag(entry.tag);
        cell.Text = entry.text;
        cell.Modified = false;
        if (skipEmpty && entry.text.empty()) sheet.IncludedByTag(entry.tag) = false;
    }
    return sheet;
}

}  // namespace quorvel
