#pragma once

#include <QObject>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "page/PageEngine.h"
#include "sheet/DescriptionSheet.h"

namespace quorvel::page {

// Lays sheets out off the window's thread, so that the window never waits for a page. Every
// worker hands its pages to one thread for the process: the page's fonts are per thread and
// cost memory. Requests made while a layout runs replace each other: a burst of keystrokes
// costs at most two layouts, and the page still follows steady typing.
class PageLayoutWorker : public QObject {
    Q_OBJECT
  public:
    // A worker in the background (a check) waits while any other has a page waiting, and
    // until shown pages have not been asked for a while.
    enum class Priority { Shown, Background };
    explicit PageLayoutWorker(QObject* parent = nullptr, Priority priority = Priority::Shown);
    // Waits for this worker's layout under way; its result is dropped.
    ~PageLayoutWorker() override;

    // Returns at once with the request's serial; `laidOut` brings the result.
    std::uint64_t Request(const TDescriptionSheet& sheet, int cssWidth);
    // Lets the thread free a layout no longer shown: a page's thousands of boxes take a few
    // milliseconds to free.
    void Dispose(std::shared_ptr<PageLayout> layout);

    // How long after a shown page was asked for a background page waits, on the product's
    // clock: between keystrokes the page thread stays free for the next one.
    static constexpr std::chrono::milliseconds kBackgroundQuiet{250};

  signals:
    // On this object's thread, for each request laid out, in the order of their serials.
    void laidOut(std::shared_ptr<quorvel::page::PageLayout> layout, quint64 serial);

  private:
    friend class PageThread;
    struct Job {
        TDescriptionSheet sheet;
        int cssWidth = 0;
        std::uint64_t serial = 0;
    };
    // All guarded by the page thread's lock.
    std::optional<Job> next_;
    std::vector<std::shared_ptr<PageLayout>> disposed_;
    std::uint64_t serial_ = 0;
    bool running_ = false;
    Priority priority_;
};

}  // namespace quorvel::page
