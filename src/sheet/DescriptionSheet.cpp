#include "sheet/DescriptionSheet.h"

#include <stdexcept>
#include <utility>

namespace quorvel {

TDescriptionSheet::TDescriptionSheet() {
    Title.Tag = kTitleTag;
    for (int row = 1; row <= kRowCount; ++row) {
        Rows[row - 1].Item.Tag = ItemTag(row);
        Rows[row - 1].Description.Tag = DescriptionTag(row);
    }
    Note.Tag = kNoteTag;
    ResetSheet();
}

void TDescriptionSheet::ResetSheet() {
    Style = TTableStyle{};
    IncludeTitle = true;
    for (auto& row : Rows) row.IncludeItem = row.IncludeDescription = true;
    IncludeNote = true;
    for (int index = 0; index < kCellCount; ++index) {
        TSheetCell& cell = CellAt(index);
        cell.Format = TCellFormat{};
        cell.Text.clear();
        cell.Modified = false;
    }
}

TSheetCell& TDescriptionSheet::CellByTag(int tag) {
    return const_cast<TSheetCell&>(std::as_const(*this).CellByTag(tag));
}

const TSheetCell& TDescriptionSheet::CellByTag(int tag) const {
    if (tag == kTitleTag) return Title;
    if (tag == kNoteTag) return Note;
    if (!IsRowCellTag(tag)) throw std::out_of_range("not a cell tag: " + std::to_string(tag));
    const TSheetRow& row = Rows[(tag - kTitleTag - 1) / 2];
    return (tag - kTitleTag) % 2 == 1 ? row.Item : row.Description;
}

bool& TDescriptionSheet::IncludedByTag(int tag) {
    if (tag == kTitleTag) return IncludeTitle;
    if (tag == kNoteTag) return IncludeNote;
    if (!IsRowCellTag(tag)) throw std::out_of_range("not a cell tag: " + std::to_string(tag));
    TSheetRow& row = Rows[(tag - kTitleTag - 1) / 2];
    return (tag - kTitleTag) % 2 == 1 ? row.IncludeItem : row.IncludeDescription;
}

bool TDescriptionSheet::IncludedByTag(int tag) const {
    return const_cast<TDescriptionSheet&>(*this).IncludedByTag(tag);
}

bool TDescriptionSheet::AnyCellModified() const {
    for (int index = 0; index < kCellCount; ++index)
        if (CellAt(index).Modified) return true;
    return false;
}

void TDescriptionSheet::ClearModified() {
    for (int index = 0; index < kCellCount; ++index) CellAt(index).Modified = false;
}

const std::array<int, 2 * kRowCount>& TDescriptionSheet::ApplyToAllTags() {
    static const std::array<int, 2 * kRowCount> tags = [] {
        std::array<int, 2 * kRowCount> result{};
        for (int i = 0; i < 2 * kRowCount; ++i) result[i] = kTitleTag + 1 + i;
        return result;
    }();
    return tags;
}

}  // namespace quorvel
