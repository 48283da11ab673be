// libFuzzer harness: any byte image handed to the data-file reader must apply or be refused
// cleanly, and what it leaves in the sheet must be within the ranges the editor relies on.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sheet/HtmlGenerator.h"
#include "store/DataFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quorvel::TDescriptionSheet sheet;
    const std::string_view image(reinterpret_cast<const char*>(data), size);
    if (quorvel::ApplyDataImage(sheet, image)) return 0;
    const auto& style = sheet.Style;
    if (style.TableAlign < 0 || style.TableAlign > 2 || style.BannerAlign < 0 ||
        style.BannerAlign > 2 || style.BorderWidth < 0 || style.BorderWidth > 9 ||
        style.CellPadding < 0 || style.CellPadding > 9)
        std::abort();
    for (int i = 0; i < quorvel::kCellCount; ++i) {
        const auto& cell = sheet.CellAt(i);
        const auto& f = cell.Format;
        if (cell.Text.size() > quorvel::kDataTextFieldSize || f.FontSize < 7 || f.FontSize > 18 ||
            f.HAlign < 0 || f.HAlign > 2 || f.VAlign < 0 || f.VAlign > 2 || cell.Modified)
            std::abort();
    }
    // A loaded sheet always renders and stores again.
    if (quorvel::BuildHtmlTags(sheet).empty()) std::abort();
    if (quorvel::BuildDataImage(sheet).size() != quorvel::kDataFileSize) std::abort();
    return 0;
}
