// libFuzzer harness: any byte image handed to the data-file reader must apply or be refused
// cleanly; what it leaves in the sheet must be within the ranges the editor relies on, and a
// loaded sheet saved and loaded again must come back the same.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sheet/HtmlGenerator.h"
#include "store/DataFile.h"

namespace {

using quorvel::TDescriptionSheet;

void CheckRanges(const TDescriptionSheet& sheet) {
    const auto& style = sheet.Style;
    if (style.TableAlign < 0 || style.TableAlign > 2 || style.BannerAlign < 0 ||
        style.BannerAlign > 2 || style.BorderWidth < 0 || style.BorderWidth > 9 ||
        style.CellPadding < 0 || style.CellPadding > 9)
        std::abort();
    for (int i = 0; i < quorvel::kCellCount; ++i) {
        const auto& cell = sheet.CellAt(i);
        const auto& f = cell.Format;
        if (cell.Text.size() > quorvel::kDataTextFieldSize ||
            cell.Text.find('\0') != std::string::npos || f.FontSize < 7 || f.FontSize > 18 ||
            f.HAlign < 0 || f.HAlign > 2 || f.VAlign < 0 || f.VAlign > 2 || cell.Modified)
            std::abort();
        if (f.FontColor == 0 && f.BackColor == 0) std::abort();
    }
}

// Equal as far as the file can tell, with the first sheet's texts cut where the writer cuts them.
void CheckSameSheet(const TDescriptionSheet& first, const TDescriptionSheet& second) {
    if (!(first.Style == second.Style)) std::abort();
    for (int i = 0; i < quorvel::kCellCount; ++i) {
        const auto& a = first.CellAt(i);
        const auto& b = second.CellAt(i);
        if (first.IncludedByTag(a.Tag) != second.IncludedByTag(b.Tag)) std::abort();
        if (!(a.Format == b.Format)) std::abort();
        if (std::string_view(a.Text).substr(0, quorvel::kDataMaxTextBytes) != b.Text) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TDescriptionSheet sheet;
    const std::string_view image(reinterpret_cast<const char*>(data), size);
    if (quorvel::ApplyDataImage(sheet, image)) return 0;
    CheckRanges(sheet);
    // A loaded sheet always renders and stores again.
    if (quorvel::BuildHtmlTags(sheet).empty()) std::abort();
    const std::string saved = quorvel::BuildDataImage(sheet);
    if (saved.size() != quorvel::kDataFileSize) std::abort();

    // Load, save, load: the same sheet; and a second save writes the very same bytes.
    TDescriptionSheet again;
    again.Style.TableAlign = quorvel::kAlignRight;  // anything the file must overwrite
    if (quorvel::ApplyDataImage(again, saved)) std::abort();
    CheckSameSheet(sheet, again);
    if (quorvel::BuildDataImage(again) != saved) std::abort();
    return 0;
}
