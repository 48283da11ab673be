#include "page/PageLayoutWorker.h"

#include <QMetaObject>

#include "page/PagePictures.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

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

// The one thread that lays out every worker's pages: started with the first worker and ended
// with the last, so that its fonts go while Qt's font system is still there.
class PageThread {
  public:
    static PageThread& Get() {
        static PageThread thread;
        return thread;
    }

    // A worker never destroyed leaves the thread running at exit: it is told to end, not waited
    // for.
    ~PageThread() {
        {
            std::lock_guard lock(mutex);
            stopping_ = true;
        }
        wake.notify_all();
        if (thread_.joinable()) thread_.detach();
    }

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable finished;

    void Add(PageLayoutWorker* worker) {
        std::lock_guard lock(mutex);
        clients_.push_back(worker);
        if (!thread_.joinable()) {
            stopping_ = false;
            thread_ = std::thread([this] { Run(); });
        }
    }

    // Waits for the worker's layout under way; the last worker ends the thread.
    void Remove(PageLayoutWorker* worker) {
        std::vector<std::shared_ptr<PageLayout>> left;
        std::thread ending;
        {
            std::unique_lock lock(mutex);
            finished.wait(lock, [worker] { return !worker->running_; });
            clients_.erase(std::remove(clients_.begin(), clients_.end(), worker), clients_.end());
            left.swap(worker->disposed_);
            if (clients_.empty()) {
                stopping_ = true;
                ending.swap(thread_);
            }
        }
        wake.notify_all();
        if (ending.joinable()) ending.join();
    }

  private:
    // The next worker with a page to lay out, shown pages first, taking turns; null when none.
    PageLayoutWorker* NextWithJob() {
        for (const auto priority :
             {PageLayoutWorker::Priority::Shown, PageLayoutWorker::Priority::Background}) {
            for (std::size_t i = 0; i < clients_.size(); ++i) {
                PageLayoutWorker* worker = clients_[(turn_ + i) % clients_.size()];
                if (worker->next_ && worker->priority_ == priority) {
                    turn_ = (turn_ + i + 1) % clients_.size();
                    return worker;
                }
            }
        }
        return nullptr;
    }

    void Run() {
        for (;;) {
            std::optional<PageLayoutWorker::Job> job;
            std::vector<std::shared_ptr<PageLayout>> disposed;
            PageLayoutWorker* worker = nullptr;
            {
                std::unique_lock lock(mutex);
                const auto hasWork = [this] {
                    if (stopping_) return true;
                    for (PageLayoutWorker* client : clients_)
                        if (client->next_ || !client->disposed_.empty()) return true;
                    return false;
                };
                // Memory freed while the seller types is kept for the next page; once typing
                // has paused, it goes back to the system.
                if (untrimmed_ && !wake.wait_for(lock, kTrimAfterIdle, hasWork)) {
                    untrimmed_ = false;
                    lock.unlock();
                    ReturnFreedMemory();
                    continue;
                }
                wake.wait(lock, hasWork);
                if (stopping_) return;
                untrimmed_ = true;
                for (PageLayoutWorker* client : clients_) {
                    std::move(client->disposed_.begin(), client->disposed_.end(),
                              std::back_inserter(disposed));
                    client->disposed_.clear();
                }
                worker = NextWithJob();
                if (worker) {
                    job.swap(worker->next_);
                    worker->running_ = true;
                }
            }
            // A new page first: freeing the old ones can wait.
            if (job) {
                auto layout = std::make_shared<PageLayout>();
                layout->LayoutSheet(job->sheet, job->cssWidth);
                {
                    std::lock_guard lock(mutex);
                    // Queued to the worker's thread; dropped by Qt if it is gone by then.
                    QMetaObject::invokeMethod(
                        worker,
                        [worker, layout, serial = job->serial] {
                            emit worker->laidOut(layout, serial);
                        },
                        Qt::QueuedConnection);
                    worker->running_ = false;
                }
                finished.notify_all();
            }
            disposed.clear();
        }
    }

    static constexpr std::chrono::milliseconds kTrimAfterIdle{500};

    std::vector<PageLayoutWorker*> clients_;
    std::size_t turn_ = 0;
    bool stopping_ = false;
    bool untrimmed_ = false;
    std::thread thread_;
};

PageLayoutWorker::PageLayoutWorker(QObject* parent, Priority priority)
    : QObject(parent), priority_(priority) {
    // The face is loaded on the window's thread: Qt registers application fonts there.
    PageLayout warmUp;
    // The pictures' store lives on the window's thread too: the layouts ask it from the page
    // thread, and it fetches from the window's event loop.
    PagePictures::Ensure();
    PageThread::Get().Add(this);
}

PageLayoutWorker::~PageLayoutWorker() {
    PageThread::Get().Remove(this);
}

std::uint64_t PageLayoutWorker::Request(const TDescriptionSheet& sheet, int cssWidth) {
    PageThread& thread = PageThread::Get();
    std::uint64_t serial = 0;
    {
        std::lock_guard lock(thread.mutex);
        serial = ++serial_;
        next_ = Job{sheet, cssWidth, serial};
    }
    thread.wake.notify_all();
    return serial;
}

void PageLayoutWorker::Dispose(std::shared_ptr<PageLayout> layout) {
    if (!layout) return;
    PageThread& thread = PageThread::Get();
    {
        std::lock_guard lock(thread.mutex);
        disposed_.push_back(std::move(layout));
    }
    thread.wake.notify_all();
}

}  // namespace quorvel::page
