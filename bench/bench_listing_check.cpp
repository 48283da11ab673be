#include <benchmark/benchmark.h>

#include <string>

#include "BenchSheets.h"
#include "Ratios.h"
#include "platform/Sjis.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/ListingCheck.h"

using namespace quorvel;

namespace {

// Every cell full (1000 bytes) and carrying the markup sellers type: bold, a font, a link and an
// image, in short lines, with one finding left open in each cell.
TDescriptionSheet MarkedUpSheet() {
    // "<B>送料無料</B> <FONT COLOR=red>新品</FONT> <A HREF=...>店</A><IMG SRC=...><BR>"
    const std::string markup =
        "<B>\x91\x97\x97\xBF\x96\xB3\x97\xBF</B> <FONT COLOR=\"red\">\x90\x56\x95\x69</FONT> "
        "<A HREF=\"https://shop.example/\" TARGET=\"_blank\">\x93\x58</A>"
        "<IMG SRC=\"https://img.example/a.jpg\" WIDTH=\"300\"><BR>\r\n";
    TDescriptionSheet sheet;
    for (int i = 0; i < kCellCount; ++i) {
        std::string text = "<I>" + markup;
        text += bench::CellBytes(1000 - text.size());
        sheet.CellAt(i).Text = text;
    }
    return sheet;
}

// The yardstick: one plain walk over the same cell bytes and tag text, character by character,
// the least any check of them must do.
void CharacterWalk(benchmark::State& state, const TDescriptionSheet& sheet) {
    const std::string tags = BuildHtmlTags(sheet);
    const auto walk = [](const std::string& bytes) {
        std::size_t chars = 0;
        for (std::size_t i = 0; i < bytes.size(); ++chars)
            i += sjis::IsLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
        return chars;
    };
    for (auto _ : state) {
        std::size_t chars = walk(tags);
        for (int i = 0; i < kCellCount; ++i) chars += walk(sheet.CellAt(i).Text);
        benchmark::DoNotOptimize(chars);
    }
}

void BM_CharacterWalkFull(benchmark::State& state) {
    CharacterWalk(state, bench::FullSheet());
}
BENCHMARK(BM_CharacterWalkFull);

void BM_CharacterWalkMarkedUp(benchmark::State& state) {
    CharacterWalk(state, MarkedUpSheet());
}
BENCHMARK(BM_CharacterWalkMarkedUp);

void Check(benchmark::State& state, const TDescriptionSheet& sheet) {
    const std::string tags = BuildHtmlTags(sheet);
    for (auto _ : state) benchmark::DoNotOptimize(CheckListing(sheet, tags));
    state.counters["findings"] = static_cast<double>(CheckListing(sheet, tags).findings.size());
}

void BM_ListingCheckFull(benchmark::State& state) {
    Check(state, bench::FullSheet());
}
BENCHMARK(BM_ListingCheckFull);

void BM_ListingCheckMarkedUp(benchmark::State& state) {
    Check(state, MarkedUpSheet());
}
BENCHMARK(BM_ListingCheckMarkedUp);

// What the editor runs after an edit: the tags made afresh, then checked.
void BM_GenerateAndCheckMarkedUp(benchmark::State& state) {
    const TDescriptionSheet sheet = MarkedUpSheet();
    for (auto _ : state) benchmark::DoNotOptimize(CheckListing(sheet, BuildHtmlTags(sheet)));
}
BENCHMARK(BM_GenerateAndCheckMarkedUp);

BENCH_RATIO("BM_ListingCheckFull", "BM_CharacterWalkFull");
BENCH_RATIO("BM_ListingCheckMarkedUp", "BM_CharacterWalkMarkedUp");

}  // namespace
