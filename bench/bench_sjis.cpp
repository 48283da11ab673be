#include <benchmark/benchmark.h>

#include <string>

#include "BenchSheets.h"
#include "Ratios.h"
#include "platform/Sjis.h"

using namespace quorvel;

namespace {

std::size_t Utf8Characters(const std::string& utf8) {
    std::size_t count = 0;
    for (unsigned char byte : utf8) count += (byte & 0xC0) != 0x80;
    return count;
}

void PerCharacter(benchmark::State& state, std::size_t characters) {
    state.counters["chars"] = static_cast<double>(characters);
    state.counters["time/char"] = benchmark::Counter(
        static_cast<double>(characters),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// What a keystroke costs when the whole cell is converted: the sheet's mirror of the text box.
void BM_EncodeCell(benchmark::State& state) {
    const std::string utf8 =
        sjis::ToUtf8(bench::CellBytes(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(sjis::FromUtf8(utf8));
    PerCharacter(state, Utf8Characters(utf8));
}
BENCHMARK(BM_EncodeCell)->Arg(12)->Arg(1000);

// The text box's own loop: one character at a time, as a byte count or a mirror does it.
void BM_EncodeCharEach(benchmark::State& state) {
    const std::string utf8 =
        sjis::ToUtf8(bench::CellBytes(static_cast<std::size_t>(state.range(0))));
    std::u32string characters;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t ch = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) ch = (ch << 6) | (utf8[i + k] & 0x3F);
        characters += ch;
        i += length;
    }
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (char32_t ch : characters) bytes += sjis::EncodeChar(ch)->size();
        benchmark::DoNotOptimize(bytes);
    }
    PerCharacter(state, characters.size());
}
BENCHMARK(BM_EncodeCharEach)->Arg(12)->Arg(1000);

void BM_DecodeCell(benchmark::State& state) {
    const std::string bytes = bench::CellBytes(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(sjis::ToUtf8(bytes));
    PerCharacter(state, Utf8Characters(sjis::ToUtf8(bytes)));
}
BENCHMARK(BM_DecodeCell)->Arg(12)->Arg(1000);

// A keystroke counted by what it changed: the byte length of the typed fragment alone, the same
// in a full cell as in an empty one.
void BM_KeystrokeFragmentLength(benchmark::State& state) {
    const std::u16string typed = u"\u30AB";  // one kana, as an input method commits it
    for (auto _ : state) benchmark::DoNotOptimize(sjis::EncodedLength(typed));
    PerCharacter(state, typed.size());
}
BENCHMARK(BM_KeystrokeFragmentLength);

// The whole cell's byte length in UTF-16, as a text box holds it.
void BM_CellLength(benchmark::State& state) {
    const std::string utf8 =
        sjis::ToUtf8(bench::CellBytes(static_cast<std::size_t>(state.range(0))));
    std::u16string wide;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;  // the cell is all BMP
        char32_t ch = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) ch = (ch << 6) | (utf8[i + k] & 0x3F);
        wide += static_cast<char16_t>(ch);
        i += length;
    }
    for (auto _ : state) benchmark::DoNotOptimize(sjis::EncodedLength(wide));
    PerCharacter(state, wide.size());
}
BENCHMARK(BM_CellLength)->Arg(12)->Arg(1000);

BENCH_RATIO("BM_EncodeCell/1000", "BM_EncodeCell/12");
BENCH_RATIO("BM_EncodeCharEach/1000", "BM_EncodeCharEach/12");
BENCH_RATIO("BM_DecodeCell/1000", "BM_DecodeCell/12");
BENCH_RATIO("BM_CellLength/1000", "BM_CellLength/12");
BENCH_RATIO("BM_KeystrokeFragmentLength", "BM_CellLength/12");

}  // namespace
