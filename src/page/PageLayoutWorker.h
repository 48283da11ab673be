#pragma once

#include <QObject>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "page/PageEngine.h"
#include "sheet/DescriptionSheet.h"

namespace quorvel::page {

// Lays sheets out on a thread of its own, so that the window's thread never waits for a page.
// Requests made while a layout runs replace each other: a burst of keystrokes costs at most
// two layouts, and the page still follows steady typing.
class PageLayoutWorker : public QObject {
    Q_OBJECT
  public:
    explicit PageLayoutWorker(QObject* parent = nullptr);
    // Waits for the layout under way; its result is dropped.
    ~PageLayoutWorker() override;

    // Returns at once with the request's serial; `laidOut` brings the result.
    std::uint64_t Request(const TDescriptionSheet& sheet, int cssWidth);
    // Lets the thread free a layout no longer shown: a page's thousands of boxes take a few
    // milliseconds to free.
    void Dispose(std::shared_ptr<PageLayout> layout);

  signals:
    // On this object's thread, for each request laid out, in the order of their serials.
    void laidOut(std::shared_ptr<quorvel::page::PageLayout> layout, quint64 serial);

  private:
    struct Job {
        TDescriptionSheet sheet;
        int cssWidth = 0;
        std::uint64_t serial = 0;
    };
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Job> next_;
    std::vector<std::shared_ptr<PageLayout>> disposed_;
    std::uint64_t serial_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace quorvel::page
