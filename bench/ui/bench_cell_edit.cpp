#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTextEdit>

#include <string>

#include "BenchSheets.h"
#include "Ratios.h"
#include "document/SheetDocument.h"
#include "panes/CellEdit.h"
#include "ui/SjisText.h"

namespace {

// One application for the whole run, created on first use on the benchmark thread (the main
// one), headless unless the caller chose a platform. It is never destroyed: static destruction
// after main is too late for Qt.
void EnsureApplication() {
    static QApplication* app = nullptr;
    if (app) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "bench_cell_edit";
    static char* argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
}

void Press(QWidget& box, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&box, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&box, &release);
}

void TypeAndTakeBack(benchmark::State& state, QTextEdit& box) {
    box.moveCursor(QTextCursor::End);
    const QString before = box.toPlainText();
    for (auto _ : state) {
        Press(box, Qt::Key_A, QStringLiteral("a"));
        Press(box, Qt::Key_Backspace, QString());
    }
    if (box.toPlainText() != before) state.SkipWithError("the box did not return to its text");
}

// One key typed at the end of a cell holding `bytes` bytes, then taken back with Backspace so
// every iteration sees the same cell.
void TypeAtEnd(benchmark::State& state, std::size_t bytes) {
    EnsureApplication();
    quorvel::TDescriptionSheet sheet;
    const quorvel::TSheetCell& cell = sheet.CellByTag(1005);
    sheet.CellByTag(1005).Text = bench::CellBytes(bytes);
    const std::string before = cell.Text;
    TSheetDocument document(sheet);
    TCellEdit box(document, 1005);
    TypeAndTakeBack(state, box);
    if (cell.Text != before) state.SkipWithError("the cell did not return to its text");
    state.counters["bytes"] = static_cast<double>(before.size());
}

// The same keys in a plain text box with the same text and settings: the toolkit's own share
// (layout, cursor, undo), which grows with the text whatever the cell box does.
void PlainAtEnd(benchmark::State& state, std::size_t bytes) {
    EnsureApplication();
    QTextEdit box;
    box.setAcceptRichText(false);
    box.setLineWrapMode(QTextEdit::NoWrap);
    box.setPlainText(ui::cellTextToBox(bench::CellBytes(bytes)));
    TypeAndTakeBack(state, box);
}

// One byte short of the limit, so the key still gets in.
constexpr std::size_t kFull = quorvel::kCellMaxInputBytes - 1;

void BM_CellKeyEmpty(benchmark::State& state) {
    TypeAtEnd(state, 0);
}
BENCHMARK(BM_CellKeyEmpty);

void BM_CellKeyFull(benchmark::State& state) {
    TypeAtEnd(state, kFull);
}
BENCHMARK(BM_CellKeyFull);
BENCH_RATIO("BM_CellKeyFull", "BM_CellKeyEmpty");

void BM_PlainKeyEmpty(benchmark::State& state) {
    PlainAtEnd(state, 0);
}
BENCHMARK(BM_PlainKeyEmpty);
BENCH_RATIO("BM_CellKeyEmpty", "BM_PlainKeyEmpty");

void BM_PlainKeyFull(benchmark::State& state) {
    PlainAtEnd(state, kFull);
}
BENCHMARK(BM_PlainKeyFull);
BENCH_RATIO("BM_PlainKeyFull", "BM_PlainKeyEmpty");
BENCH_RATIO("BM_CellKeyFull", "BM_PlainKeyFull");

// A key refused at the limit still has to find out that it does not fit.
void BM_CellKeyRefused(benchmark::State& state) {
    EnsureApplication();
    quorvel::TDescriptionSheet sheet;
    const quorvel::TSheetCell& cell = sheet.CellByTag(1005);
    sheet.CellByTag(1005).Text = std::string(quorvel::kCellMaxInputBytes, 'x');
    TSheetDocument document(sheet);
    TCellEdit box(document, 1005);
    box.moveCursor(QTextCursor::End);
    for (auto _ : state) Press(box, Qt::Key_A, QStringLiteral("a"));
    if (cell.Text.size() != std::size_t(quorvel::kCellMaxInputBytes))
        state.SkipWithError("a key got past the limit");
}
BENCHMARK(BM_CellKeyRefused);
BENCH_RATIO("BM_CellKeyRefused", "BM_CellKeyEmpty");

}  // namespace
