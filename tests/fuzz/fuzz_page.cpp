// libFuzzer harness for the page engine: tags made from random cell text (deep nesting, unclosed
// tables, huge sizes, long lines, invalid code page 932) are laid out and painted without a crash
// or a hang, within the engine's bounds. Input (up to 64 KB, words from fuzz_page.dict): a byte
// choosing the width and the sizes, then cell texts separated by 0x00; bytes 0x01..0x1F stand
// for markup, so short inputs make deep and tangled pages.
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "QtHarness.h"
#include "page/PageEngine.h"
#include "sheet/DescriptionSheet.h"
#include "sheet/HtmlGenerator.h"

namespace {

constexpr const char* kMarkup[] = {
    "<TABLE>",
    "<TR>",
    "<TD>",
    "</TD>",
    "</TABLE>",
    "<B>",
    "<I>",
    "<U>",
    "<FONT SIZE=\"+7\">",
    "<FONT SIZE=\"-9\">",
    "</FONT>",
    "<BR>",
    "<DIV>",
    "</DIV>",
    "<P>",
    "<CENTER>",
    "<UL><LI>",
    "<OL><LI>",
    "<A HREF=\"http://x.example/\">",
    "<IMG WIDTH=\"99999999\" HEIGHT=\"2147483647\">",
    "<IMG SRC=\"a.jpg\">",
    "<TD COLSPAN=\"999999\" ROWSPAN=\"65535\">",
    "<TABLE CELLPADDING=\"9999\" BORDER=\"40\">",
    "<SPAN STYLE=\"font-size:99999px;width:999999999px;padding:99999px\">",
    "<PRE>",
    "<TD NOWRAP>",
    "\x82\xA0\x82\xA0\x82\xA0",
    "\x81",
    "<!--",
    "WWWWWWWWWWWWWWWW",
    "<H1>"};

constexpr std::size_t kMaxCellBytes = 3 * quorvel::kCellMaxInputBytes;

std::string Expand(const std::uint8_t* data, std::size_t size) {
    std::string out;
    // A cell of a thousand double-byte characters, and some.
    for (std::size_t i = 0; i < size && out.size() < kMaxCellBytes; ++i) {
        const std::uint8_t byte = data[i];
        if (byte >= 1 && byte <= 31) {
            out += kMarkup[byte - 1];
        } else if (byte == 0x7F) {
            // A thousand-byte line in one byte of input.
            out.append(1000, 'x');
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static constexpr int kWidths[] = {360, 375, 700, 1};
    static constexpr int kSizes[] = {7, 8, 9, 12, 14, 18};
    quorvel::TDescriptionSheet sheet;
    const int width = kWidths[data[0] & 3];
    std::size_t at = 1;
    for (int index = 0; index < quorvel::kCellCount && at <= size; ++index) {
        std::size_t end = at;
        while (end < size && data[end] != 0) ++end;
        quorvel::TSheetCell& cell = sheet.CellAt(index);
        cell.Text = Expand(data + at, end - at);
        cell.Format.FontSize = kSizes[(data[0] >> 2) % 6];
        sheet.IncludedByTag(cell.Tag) = (data[0] >> 5) != static_cast<unsigned>(index % 8);
        at = end + 1;
    }
    quorvel::page::PageLayout layout;
    layout.LayoutSheet(sheet, width);
    if (layout.PageWidth() < layout.CssWidth() || layout.PageHeight() < 0) std::abort();
    if (!layout.ShownAsText() &&
        layout.Cells().size() > quorvel::page::IncludedCellTags(sheet).size())
        std::abort();
    for (const auto& cell : layout.Cells())
        if (layout.CellAt(cell.box.center()) == 0 && !cell.box.isEmpty()) std::abort();
    QImage screen(200, 200, QImage::Format_RGB32);
    QPainter painter(&screen);
    layout.Paint(painter, screen.rect());
    return 0;
}
