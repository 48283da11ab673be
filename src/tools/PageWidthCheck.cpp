#include "tools/PageWidthCheck.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

#include <algorithm>

#include "page/PageEngine.h"
#include "page/PagePictures.h"

namespace {

using quorvel::page::PagePictures;
using quorvel::page::PictureState;

// Longer than the store's own limit for one picture: a server that trickles bytes for ever is
// given up on, and its picture counted as not loaded.
constexpr int kPicturesGuardMs = PagePictures::kTimeoutMs + 10000;

bool Loading(const PagePictures& store, const std::string& url) {
    return store.Find(QString::fromStdString(url)).state == PictureState::Loading;
}

// Turns the event loop until none of `urls` is still coming.
void AwaitPictures(PagePictures& store, const std::vector<std::string>& urls) {
    const auto anyLoading = [&] {
        return std::any_of(urls.begin(), urls.end(),
                           [&](const std::string& url) { return Loading(store, url); });
    };
    if (!anyLoading()) return;
    QEventLoop loop;
    QObject::connect(&store, &PagePictures::pictureChanged, &loop, [&] {
        if (!anyLoading()) loop.quit();
    });
    QTimer::singleShot(kPicturesGuardMs, &loop, &QEventLoop::quit);
    loop.exec();
}

bool picturesLeftRunning = false;

}  // namespace

bool PicturesLeftRunning() {
    return picturesLeftRunning;
}

void MeasureWithEngine(const quorvel::TDescriptionSheet& sheet, quorvel::CheckOptions& options) {
    // The fonts need a GUI application; a command-line tool never wants a display, nor Qt's
    // notes about the session on its error output.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static int argc = 1;
    static char name[] = "qvltags";
    static char* argv[] = {name, nullptr};
    {
        // Left alone while a decode still runs on it; the tool then ends without tearing down.
        auto* app = new QGuiApplication(argc, argv);
        PagePictures& pictures = *PagePictures::Ensure();
        // Nothing is being typed: what the page names is fetched at once.
        pictures.SetFetchDelay(0);
        quorvel::page::PageLayout layout;
        layout.MeasureOnly();
        layout.LayoutSheet(sheet, options.phoneWidth);
        // A picture without its size takes its own once it has come, as in the buyer's
        // browser: those are fetched, and the page laid out again with them.
        const std::vector<std::string> unsized = layout.UnsizedPictures();
        if (!unsized.empty()) {
            AwaitPictures(pictures, unsized);
            layout.LayoutSheet(sheet, options.phoneWidth);
        }
        options.measuredPageWidth = layout.PageWidth();
        options.measuredWideCells = quorvel::page::WideCells(layout);
        options.unloadedPictures = quorvel::page::UnloadedPictures(layout.UnsizedPictures());
        for (const std::string& url : layout.UnsizedPictures())
            if (Loading(pictures, url)) options.unloadedPictures.push_back(url);
        quorvel::page::NotePicturesBeyond(layout.UnsizedPictures(), options);
        // A decode that never ends is not waited for: the tool ends at once after its report.
        picturesLeftRunning = !PagePictures::Shutdown(std::chrono::milliseconds(200));
        if (!picturesLeftRunning) delete app;
    }
    qInstallMessageHandler(previous);
}
