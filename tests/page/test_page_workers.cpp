// The page thread's order between the live view's pages and the check's.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>

#include <string>

#include "page/PageLayoutWorker.h"
#include "platform/Clock.h"
#include "sheet/BuiltinDesigns.h"

namespace {

using namespace quorvel;
using page::PageLayoutWorker;

// While shown pages are being asked for (the seller typing), a check asked for between them
// waits: each keystroke's page goes first, the check's after typing pauses.
TEST(PageWorkers, ACheckAskedForWhileTypingGoesAfterTheShownPages) {
    // Time moves only when told: the check can only come once the quiet time has passed.
    ManualClock clock;
    Clock::SetProduct(&clock);
    PageLayoutWorker shown(nullptr, PageLayoutWorker::Priority::Shown);
    PageLayoutWorker check(nullptr, PageLayoutWorker::Priority::Background);
    const TDescriptionSheet sheet = SampleListing();
    std::string order;
    QEventLoop loop;
    int keystrokes = 1;
    QObject::connect(&shown, &PageLayoutWorker::laidOut, [&](auto layout, quint64) {
        order += 's';
        shown.Dispose(layout);
        // The next keystroke comes as soon as the page of the last one is there, a little later.
        if (keystrokes < 3) {
            ++keystrokes;
            clock.Advance(PageLayoutWorker::kBackgroundQuiet / 2);
            shown.Request(sheet, 375);
        } else {
            loop.quit();
        }
    });
    QObject::connect(&check, &PageLayoutWorker::laidOut, [&](auto layout, quint64) {
        order += 'c';
        check.Dispose(layout);
        loop.quit();
    });
    const auto waitForPage = [&] {
        QTimer guard;  // a ceiling for a hung thread only
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&] {
            ADD_FAILURE() << "no page came";
            loop.quit();
        });
        guard.start(60000);
        loop.exec();
    };
    shown.Request(sheet, 375);
    check.Request(sheet, 375);
    waitForPage();
    EXPECT_EQ(order, "sss");
    // Typing pauses: the check's page follows once the quiet time has passed.
    clock.Advance(PageLayoutWorker::kBackgroundQuiet);
    waitForPage();
    EXPECT_EQ(order, "sssc");
    Clock::SetProduct(nullptr);
}

}  // namespace
