#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <string_view>

#include "BenchSheets.h"
#include "Ratios.h"
#include "platform/SystemColours.h"
#include "sheet/HtmlGenerator.h"

using namespace quorvel;

namespace {

// The yardstick: the same bytes written the plain one-pass way, one string reserved once and bulk
// appends between line breaks. BuildHtmlTags is measured against it.
class OnePass {
  public:
    explicit OnePass(const std::string& footer) : footer_(footer) {}

    std::string Build(const TDescriptionSheet& sheet) {
        std::size_t textBytes = 0;
        for (int i = 0; i < kCellCount; ++i) textBytes += sheet.CellAt(i).Text.size();
        out_ = std::string();
        out_.reserve(2 * textBytes + 200 * kCellCount + footer_.size());
        Paragraph(BlockWord(sheet.Style.TableAlign));
        const TTableStyle& style = sheet.Style;
        if (style.BorderColorSet) {
            out_ += "<TABLE BGCOLOR=\"";
            Colour(style.BorderColor);
            out_ += "\" CELLSPACING=\"" + std::to_string(style.BorderWidth);
        } else {
            out_ += "<TABLE BORDER=\"" + std::to_string(style.BorderWidth);
            out_ += "\" CELLSPACING=\"0";
        }
        out_ += "\" CELLPADDING=\"" + std::to_string(style.CellPadding);
        out_ += style.TableAlign == 1 ? "\" ALIGN=\"center\">\r\n" : "\">\r\n";
        if (sheet.IncludeTitle) {
            out_ += "<TR>\r\n";
            Cell(sheet.Title, true);
            out_ += "</TR>\r\n";
        }
        for (const TSheetRow& row : sheet.Rows) {
            if (!row.IncludeItem && !row.IncludeDescription) continue;
            out_ += "<TR>\r\n";
            if (row.IncludeItem) Cell(row.Item, !row.IncludeDescription);
            if (row.IncludeDescription) Cell(row.Description, !row.IncludeItem);
            out_ += "</TR>\r\n";
        }
        out_ += "</TABLE>\r\n</p>\r\n";
        if (sheet.IncludeNote) {
            Paragraph(HWord(sheet.Note.Format.HAlign));
            Body(sheet.Note);
            out_ += "</p>\r\n";
        }
        Paragraph(BlockWord(sheet.Style.BannerAlign));
        out_ += footer_;
        out_ += "</p>\r\n";
        return std::move(out_);
    }

  private:
    static const char* BlockWord(int a) { return a == 1 ? "center" : a == 2 ? "right" : "left"; }
    static const char* HWord(int a) { return a == 1 ? "right" : a == 2 ? "center" : "left"; }
    static const char* VWord(int a) { return a == 1 ? "center" : a == 2 ? "bottom" : "top"; }

    void Paragraph(const char* word) {
        out_ += "<P ALIGN=\"";
        out_ += word;
        out_ += "\">\r\n";
    }

    void Colour(TColor c) {
        if ((c >> 24) == 0x80) c = syscolour::Resolve(static_cast<int>(c & 0xFF));
        static constexpr char kHex[] = "0123456789ABCDEF";
        const char text[7] = {'#',
                              kHex[(c >> 4) & 0xF],
                              kHex[c & 0xF],
                              kHex[(c >> 12) & 0xF],
                              kHex[(c >> 8) & 0xF],
                              kHex[(c >> 20) & 0xF],
                              kHex[(c >> 16) & 0xF]};
        out_.append(text, 7);
    }

    void Cell(const TSheetCell& cell, bool spans) {
        out_ += "<TD ALIGN=\"";
        out_ += HWord(cell.Format.HAlign);
        out_ += "\" VALIGN=\"";
        out_ += VWord(cell.Format.VAlign);
        out_ += "\" BGCOLOR=\"";
        Colour(cell.Format.BackColor);
        out_ += spans ? "\" COLSPAN=\"2\" NOWRAP>\r\n" : "\" NOWRAP>\r\n";
        Body(cell);
        out_ += "</TD>\r\n";
    }

    void Body(const TSheetCell& cell) {
        const TCellFormat& f = cell.Format;
        static const int kSizes[] = {1, 2, 3, 6, 6, 4, 6, 5};  // 7, 8, 9, 10, 11, 12, 13, 14
        const int size = f.FontSize >= 7 && f.FontSize <= 14 ? kSizes[f.FontSize - 7] : 6;
        out_ += "<FONT COLOR=\"";
        Colour(f.FontColor);
        out_ += "\" SIZE=\"";
        out_ += static_cast<char>('0' + size);
        out_ += "\" >";
        if (f.Bold) out_ += "<B>";
        if (f.Italic) out_ += "<I>";
        if (f.Underline) out_ += "<U>";
        std::string_view text = cell.Text;
        for (std::size_t cr = text.find("\r\n"); cr != std::string_view::npos;
             cr = text.find("\r\n")) {
            out_.append(text.substr(0, cr));
            out_ += "<BR>";
            text.remove_prefix(cr + 2);
        }
        out_.append(text);
        if (f.Bold) out_ += "</B>";
        if (f.Italic) out_ += "</I>";
        if (f.Underline) out_ += "</U>";
        out_ += "</FONT>\r\n";
    }

    const std::string& footer_;
    std::string out_;
};

void BM_OnePassYardstick(benchmark::State& state) {
    const TDescriptionSheet sheet = bench::FullSheet();
    const std::string footer = FooterBlock();
    OnePass yardstick(footer);
    if (yardstick.Build(sheet) != BuildHtmlTags(sheet)) {
        state.SkipWithError("the yardstick does not write the generator's bytes");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(yardstick.Build(sheet));
    state.SetBytesProcessed(state.iterations() * BuildHtmlTags(sheet).size());
}
BENCHMARK(BM_OnePassYardstick);

// The floor: copying the finished output into a fresh string.
void BM_MemcpyOutput(benchmark::State& state) {
    const std::string output = BuildHtmlTags(bench::FullSheet());
    for (auto _ : state) {
        std::string copy(output.size(), '\0');
        std::memcpy(copy.data(), output.data(), output.size());
        benchmark::DoNotOptimize(copy);
    }
    state.SetBytesProcessed(state.iterations() * output.size());
}
BENCHMARK(BM_MemcpyOutput);

void BM_BuildHtmlTags(benchmark::State& state) {
    const TDescriptionSheet sheet = bench::FullSheet();
    for (auto _ : state) benchmark::DoNotOptimize(BuildHtmlTags(sheet));
    state.SetBytesProcessed(state.iterations() * BuildHtmlTags(sheet).size());
}
BENCHMARK(BM_BuildHtmlTags);

BENCH_RATIO("BM_MemcpyOutput", "BM_OnePassYardstick");
BENCH_RATIO("BM_BuildHtmlTags", "BM_OnePassYardstick");

}  // namespace
