// The page engine's side of bench/page-bench.sh: the largest sheet's layout time, the page the
// browser lays out for the same comparison, and the editor's idle memory and the live view's
// delay after a keystroke.
//
//   quorvel_page_bench_tool --layout RUNS          median wall and CPU ms of parse + layout
//   quorvel_page_bench_tool --browser-page FILE     the same tags as a page timing the browser
//   quorvel_page_bench_tool --editor hidden|shown [SHEET.qvl]
//                                          rss_kb (and keystroke_ms when shown); the largest
//                                          sheet unless one is named
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "BenchSheets.h"
#include "document/SheetDocument.h"
#include "editor/DocumentController.h"
#include "editor/Mainunit.h"
#include "hooks/BenchProbe.h"
#include "liveview/LiveView.h"
#include "page/PageEngine.h"
#include "panes/CellEdit.h"
#include "platform/Sjis.h"
#include "sheet/HtmlGenerator.h"
#include "store/DataFile.h"
#include "ui/LiveViewCanvas.h"

namespace {

constexpr int kCssWidth = 700;

double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

int Layout(int runs) {
    const quorvel::TDescriptionSheet sheet = bench::FullSheet();
    const std::string tags = quorvel::BuildHtmlTags(sheet);
    const std::vector<int> cells = quorvel::page::IncludedCellTags(sheet);
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs + 3; ++i) {
        QElapsedTimer timer;
        const double cpuStart = CpuMs();
        timer.start();
        quorvel::page::PageLayout layout;
        // As the page thread does: the tree is freed after the page is handed on.
        layout.DeferEngineRelease();
        layout.Layout(tags, kCssWidth, cells);
        const double ms = timer.nsecsElapsed() / 1e6;
        // The first runs fill the font caches, as the editor's first layout does.
        if (i < 3) continue;
        wall.push_back(ms);
        cpu.push_back(CpuMs() - cpuStart);
    }
    std::printf("bytes=%zu\nengine_wall_ms=%.2f\nengine_cpu_ms=%.2f\n", tags.size(), Median(wall),
                Median(cpu));
    return 0;
}

std::string JsString(const std::string& utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '<')
            out += "\\x3C";
        else
            out += c;
    }
    return out + "\"";
}

// The browser's side: the same tags set as the body's HTML in a frame as wide as the engine's
// window, layout forced each time, the median written into the page for --dump-dom.
int BrowserPage(const char* file, int runs) {
    const std::string tags = quorvel::sjis::ToUtf8(quorvel::BuildHtmlTags(bench::FullSheet()));
    std::string page =
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>"
        "<iframe id=\"f\" width=\"" +
        std::to_string(kCssWidth) +
        "\" height=\"600\" "
        "srcdoc='<!DOCTYPE html><html><head><meta charset=\"utf-8\"><style>body{font-family:"
        "\"Noto Sans CJK JP\"}</style></head><body></body></html>'></iframe>"
        "<pre id=\"result\">none</pre><script>\n"
        "const tags = " +
        JsString(tags) +
        ";\n"
        "document.getElementById('f').onload = () => {\n"
        "  const doc = document.getElementById('f').contentDocument;\n"
        "  const times = [];\n"
        "  for (let i = 0; i < " +
        std::to_string(runs + 3) +
        "; ++i) {\n"
        "    doc.body.innerHTML = '';\n"
        "    void doc.documentElement.scrollWidth;\n"
        "    const start = performance.now();\n"
        "    doc.body.innerHTML = tags;\n"
        "    void doc.documentElement.scrollWidth;\n"
        "    const ms = performance.now() - start;\n"
        "    if (i >= 3) times.push(ms);\n"
        "  }\n"
        "  times.sort((a, b) => a - b);\n"
        "  document.getElementById('result').textContent =\n"
        "    'browser_wall_ms=' + times[times.length >> 1].toFixed(2);\n"
        "};\n</script></body></html>\n";
    QFile out(QString::fromLocal8Bit(file));
    if (!out.open(QIODevice::WriteOnly)) return 1;
    out.write(page.data(), static_cast<qint64>(page.size()));
    return 0;
}

// Sees the first paint of `widget` once armed.
struct PaintWatch : QObject {
    explicit PaintWatch(QWidget* widget) : widget_(widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_ && armed && event->type() == QEvent::Paint) seen = true;
        return false;
    }
    QWidget* widget_;
    bool armed = false;
    bool seen = false;
};

// The editor with the largest sheet, the live view hidden or shown: idle memory, and when
// shown the delay from a keystroke to the view being current.
int Editor(bool shown, const char* sheetFile) {
    TFormMain main(nullptr, false);
    // Opened as a seller opens it, so the cell boxes hold the text the keystrokes go into.
    QString file = QDir::temp().filePath(QStringLiteral("quorvel-page-bench.qvl"));
    if (sheetFile)
        file = QString::fromLocal8Bit(sheetFile);
    else if (quorvel::SaveDataFile(bench::FullSheet(), file.toStdString()))
        return 1;
    main.Document()->OpenPath(file);
    main.show();
    TLiveView* view = main.findChild<TLiveView*>(QStringLiteral("DockLiveView"));
    if (shown && view) view->show();
    QTimer::singleShot(bench_probe::kSettleMs, &main, [&] {
        if (shown && view) {
            std::vector<double> delays;
            for (int i = 0; i < 15; ++i) {
                TCellEdit* cell = main.CellByTag(quorvel::DescriptionTag(1 + i % 10));
                QElapsedTimer timer;
                // Current once the new page has been painted on the screen.
                PaintWatch painted(view->Canvas());
                const auto watch =
                    QObject::connect(view, &TLiveView::laidOut, [&] { painted.armed = true; });
                timer.start();
                cell->textCursor().insertText(QStringLiteral("あ"));
                while (!painted.seen)
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
                delays.push_back(timer.nsecsElapsed() / 1e6);
                QObject::disconnect(watch);
            }
            std::printf("keystroke_ms=%.1f\n", Median(delays));
            if (qEnvironmentVariableIsSet("QUORVEL_BENCH_ALL")) {
                std::printf("keystroke_all_ms=");
                for (double d : delays) std::printf(" %.1f", d);
                std::printf("\n");
            }
        }
        // Memory is read idle: a second after the last keystroke, as a seller pausing leaves it.
        QEventLoop idle;
        QTimer::singleShot(1000, &idle, &QEventLoop::quit);
        idle.exec();
        std::printf("rss_kb=%ld\n", bench_probe::RssKb());
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The editor it starts keeps its settings, recovery copy, lock and temporary files in a
    // folder of its own: a seller's next start must find nothing of the bench's sheet.
    QTemporaryDir own(QDir::temp().filePath(QStringLiteral("quorvel-page-bench-XXXXXX")));
    if (!own.isValid()) return 1;
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR", "TMPDIR"})
        qputenv(name, QFile::encodeName(own.path()));
    QApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--layout") == 0) return Layout(std::atoi(argv[2]));
    if (argc == 4 && std::strcmp(argv[1], "--browser-page") == 0)
        return BrowserPage(argv[2], std::atoi(argv[3]));
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "--editor") == 0)
        return Editor(std::strcmp(argv[2], "shown") == 0, argc == 4 ? argv[3] : nullptr);
    std::fputs(
        "usage: quorvel_page_bench_tool --layout RUNS | --browser-page FILE RUNS | "
        "--editor hidden|shown [SHEET.qvl]\n",
        stderr);
    return 2;
}
