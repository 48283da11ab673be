#include "hooks/BenchHook.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dialogs/Preview.h"
#include "editor/Mainunit.h"
#include "hooks/BenchProbe.h"
#include "platform/TempDir.h"
#include "store/PreviewFile.h"

namespace {

constexpr int kPreviewTimeoutMs = 20000;

using bench_probe::kSettleMs;
using bench_probe::NowNs;
using bench_probe::RssKb;

// One preview from the click to the page reported loaded; -1 when no page came.
double TimePreview(TFormMain& main) {
    TFormPreview* preview = main.Preview();
    const long long start = NowNs();
    long long loaded = -1;
    const auto onLoaded = QObject::connect(preview, &TFormPreview::pageLoaded, preview, [&] {
        loaded = NowNs();
        preview->reject();
    });
    QTimer::singleShot(kPreviewTimeoutMs, preview, [preview] { preview->reject(); });
    main.SpeedButtonPreview->click();
    QObject::disconnect(onLoaded);
    return loaded < 0 ? -1.0 : static_cast<double>(loaded - start) / 1e6;
}

double MedianTagCopyUs(TFormMain& main) {
    return bench_probe::MedianCopyUs([&main] { main.SpeedButtonTagCopy->click(); });
}

void RunAfterSettling(TFormMain& main) {
    std::printf("rss_kb=%ld\n", RssKb());
    std::printf("widgets=%lld\n", static_cast<long long>(main.findChildren<QWidget*>().size() + 1));
    std::printf("preview_first_ms=%.1f\n", TimePreview(main));
    QTimer::singleShot(300, &main, [&main] {
        std::printf("preview_later_ms=%.1f\n", TimePreview(main));
        std::printf("tagcopy_us=%.1f\n", MedianTagCopyUs(main));
        const quorvel::TempPathResult file = quorvel::PreviewFilePath();
        std::printf("preview_file=%s\n", file.path.c_str());
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
}

class FirstPaintWatcher : public QObject {
  public:
    explicit FirstPaintWatcher(TFormMain& main) : QObject(&main), main_(main) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &main_ && event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            std::printf("paint_ns=%lld\n", NowNs());
            // Settled: every event queued by the first paint has been handled.
            QTimer::singleShot(0, &main_, [this] {
                std::printf("settled_ns=%lld\n", NowNs());
                std::fflush(stdout);
                QTimer::singleShot(kSettleMs, &main_, [this] { RunAfterSettling(main_); });
            });
        }
        return false;
    }

  private:
    TFormMain& main_;
    bool seen_ = false;
};

}  // namespace

bool BenchHookWanted() {
    const char* wanted = std::getenv("QUORVEL_BENCH_EXIT_AFTER_SHOW");
    return wanted && std::strcmp(wanted, "1") == 0;
}

void StartBenchHook(TFormMain& main) {
    main.installEventFilter(new FirstPaintWatcher(main));
}
