#include "page/PageLayoutWorker.h"

#include <QMetaObject>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace quorvel::page {
namespace {

// A thread's allocator keeps what a page freed for the thread's next page; the page's boxes are
// many and small, so between pages it is given back to the system rather than kept idle.
void ReturnFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

}  // namespace

PageLayoutWorker::PageLayoutWorker(QObject* parent) : QObject(parent) {
    // The face is loaded on the window's thread: Qt registers application fonts there.
    PageLayout warmUp;
    thread_ = std::thread([this] { Run(); });
}

PageLayoutWorker::~PageLayoutWorker() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        next_.reset();
    }
    wake_.notify_one();
    thread_.join();
}

std::uint64_t PageLayoutWorker::Request(const TDescriptionSheet& sheet, int cssWidth) {
    std::uint64_t serial = 0;
    {
        std::lock_guard lock(mutex_);
        serial = ++serial_;
        next_ = Job{sheet, cssWidth, serial};
    }
    wake_.notify_one();
    return serial;
}

void PageLayoutWorker::Dispose(std::shared_ptr<PageLayout> layout) {
    if (!layout) return;
    {
        std::lock_guard lock(mutex_);
        disposed_.push_back(std::move(layout));
    }
    wake_.notify_one();
}

void PageLayoutWorker::Run() {
    for (;;) {
        std::optional<Job> job;
        std::vector<std::shared_ptr<PageLayout>> disposed;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || next_ || !disposed_.empty(); });
            if (stopping_) return;
            job.swap(next_);
            disposed.swap(disposed_);
        }
        // A new page first: freeing the old one can wait.
        if (!job) continue;
        auto layout = std::make_shared<PageLayout>();
        layout->LayoutSheet(job->sheet, job->cssWidth);
        // Queued to this object's thread; dropped by Qt if this object is gone by then.
        QMetaObject::invokeMethod(
            this, [this, layout, serial = job->serial] { emit laidOut(layout, serial); },
            Qt::QueuedConnection);
        disposed.clear();
        ReturnFreedMemory();
    }
}

}  // namespace quorvel::page
