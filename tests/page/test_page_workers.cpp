// The page thread's order between the live view's pages and the check's.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>

#include <string>

#include "page/PageLayoutWorker.h"
#include "sheet/BuiltinDesigns.h"

namespace {

using namespace quorvel;
using page::PageLayoutWorker;

// While shown pages are being asked for (the seller typing), a check asked for between them
// waits: each keystroke's page goes first, the check's after typing pauses.
TEST(PageWorkers, ACheckAskedForWhileTypingGoesAfterTheShownPages) {
    // Long enough that a slow machine's event delivery cannot outlast it.
    PageLayoutWorker::SetBackgroundQuiet(std::chrono::milliseconds(1500));
    PageLayoutWorker shown(nullptr, PageLayoutWorker::Priority::Shown);
    PageLayoutWorker check(nullptr, PageLayoutWorker::Priority::Background);
    const TDescriptionSheet sheet = SampleListing();
    std::string order;
    QEventLoop loop;
    int keystrokes = 1;
    QObject::connect(&shown, &PageLayoutWorker::laidOut, [&](auto layout, quint64) {
        order += 's';
        shown.Dispose(layout);
        // The next keystroke comes as soon as the page of the last one is there.
        if (keystrokes < 3) {
            ++keystrokes;
            shown.Request(sheet, 375);
        }
    });
    QObject::connect(&check, &PageLayoutWorker::laidOut, [&](auto layout, quint64) {
        order += 'c';
        check.Dispose(layout);
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, [&] {
        ADD_FAILURE() << "the check's page never came";
        loop.quit();
    });
    shown.Request(sheet, 375);
    check.Request(sheet, 375);
    loop.exec();
    EXPECT_EQ(order, "sssc");
    PageLayoutWorker::SetBackgroundQuiet(std::chrono::milliseconds(250));
}

}  // namespace
