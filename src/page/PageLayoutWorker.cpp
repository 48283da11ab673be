#include "page/PageLayoutWorker.h"

#include <QMetaObject>

namespace quorvel::page {

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

void PageLayoutWorker::Run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || next_; });
            if (stopping_) return;
            job = std::move(*next_);
            next_.reset();
        }
        auto layout = std::make_shared<PageLayout>();
        layout->LayoutSheet(job.sheet, job.cssWidth);
        // Queued to this object's thread; dropped by Qt if this object is gone by then.
        QMetaObject::invokeMethod(
            this, [this, layout, serial = job.serial] { emit laidOut(layout, serial); },
            Qt::QueuedConnection);
    }
}

}  // namespace quorvel::page
