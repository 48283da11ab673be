#include "page/PageLayoutWorker.h"

#include <QMetaObject>
#include <QThread>

#include "page/PagePictures.h"
#include "platform/Clock.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

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

// The one thread that lays out every worker's pages: started with the first worker and kept
// until the process ends. A thread that has measured text must not end while the program runs:
// on Windows, Qt's FreeType data of an ended thread is freed after its font engines and
// corrupts the heap. Never destroyed, so that nothing wakes it during the exit.
class PageThread {
  public:
    static PageThread& Get() {
        static PageThread* thread = new PageThread;
        return *thread;
    }

    // A manual clock moves only when told: the thread looks at its deadlines again then.
    PageThread() {
        Clock::Watch([this] {
            { std::lock_guard lock(mutex); }
            wake.notify_all();
        });
    }

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable finished;

    void Add(PageLayoutWorker* worker) {
        std::lock_guard lock(mutex);
        clients_.push_back(worker);
        if (!thread_) {
            thread_.reset(QThread::create([this] { Run(); }));
            thread_->start();
        }
    }

    // Waits for the worker's layout under way.
    void Remove(PageLayoutWorker* worker) {
        std::vector<std::shared_ptr<PageLayout>> left;
        {
            std::unique_lock lock(mutex);
            finished.wait(lock, [worker] { return !worker->running_; });
            clients_.erase(std::remove(clients_.begin(), clients_.end(), worker), clients_.end());
            left.swap(worker->disposed_);
        }
        wake.notify_all();
    }

  private:
    using Time = Clock::Time;
    static Time Now() { return Clock::Product().Now(); }

    // When a background page may start: a while after the last shown page was asked for, so
    // that a check laid out between two keystrokes never makes the next one wait for it.
    Time BackgroundFrom() const { return lastShownRequest_ + PageLayoutWorker::kBackgroundQuiet; }

    bool Waiting(PageLayoutWorker::Priority priority) const {
        return std::any_of(clients_.begin(), clients_.end(), [priority](PageLayoutWorker* c) {
            return c->next_ && c->priority_ == priority;
        });
    }

    bool HasWorkNow(Time now) const {
        if (Waiting(PageLayoutWorker::Priority::Shown)) return true;
        if (Waiting(PageLayoutWorker::Priority::Background) && now >= BackgroundFrom()) return true;
        return std::any_of(clients_.begin(), clients_.end(),
                           [](PageLayoutWorker* c) { return !c->disposed_.empty(); });
    }

    // The next worker with a page to lay out, shown pages first, taking turns; null when none.
    PageLayoutWorker* NextWithJob(Time now) {
        for (const auto priority :
             {PageLayoutWorker::Priority::Shown, PageLayoutWorker::Priority::Background}) {
            if (priority == PageLayoutWorker::Priority::Background && now < BackgroundFrom()) break;
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

    // Sleeps until there is work now; memory freed while the seller types is kept for the next
    // page, and goes back to the system once typing has paused.
    void WaitForWork(std::unique_lock<std::mutex>& lock) {
        const Time idleSince = Now();
        for (;;) {
            const Time now = Now();
            if (HasWorkNow(now)) return;
            if (untrimmed_ && now >= idleSince + kTrimAfterIdle) {
                untrimmed_ = false;
                lock.unlock();
                ReturnFreedMemory();
                lock.lock();
                continue;
            }
            Time until = Time::max();
            if (Waiting(PageLayoutWorker::Priority::Background)) until = BackgroundFrom();
            if (untrimmed_) until = std::min(until, idleSince + kTrimAfterIdle);
            if (until == Time::max() || Clock::Product().Manual())
                wake.wait(lock);
            else
                wake.wait_until(lock, until);
        }
    }

    [[noreturn]] void Run() {
        for (;;) {
            std::optional<PageLayoutWorker::Job> job;
            std::vector<std::shared_ptr<PageLayout>> disposed;
            PageLayoutWorker* worker = nullptr;
            {
                std::unique_lock lock(mutex);
                WaitForWork(lock);
                untrimmed_ = true;
                for (PageLayoutWorker* client : clients_) {
                    std::move(client->disposed_.begin(), client->disposed_.end(),
                              std::back_inserter(disposed));
                    client->disposed_.clear();
                }
                worker = NextWithJob(Now());
                if (worker) {
                    job.swap(worker->next_);
                    worker->running_ = true;
                }
            }
            // A new page first: freeing the old ones can wait.
            if (job) {
                auto layout = std::make_shared<PageLayout>();
                layout->DeferEngineRelease();
                // A check's page is measured, never drawn.
                if (worker->priority_ == PageLayoutWorker::Priority::Background)
                    layout->MeasureOnly();
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
                // Once the page is on its way; the window's thread never touches the tree.
                layout->ReleaseEngine();
            }
            disposed.clear();
        }
    }

    static constexpr std::chrono::milliseconds kTrimAfterIdle{500};

  public:
    // Guarded by `mutex`: when a shown page was last asked for.
    Time lastShownRequest_{};

  private:
    std::vector<PageLayoutWorker*> clients_;
    std::size_t turn_ = 0;
    bool untrimmed_ = false;
    // A Qt thread, not a plain one: Qt frees its font data for a thread of its own on that
    // thread as it ends, where for a plain thread Windows frees it from another thread (and
    // crashes in FreeType).
    std::unique_ptr<QThread> thread_;
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
        if (priority_ == Priority::Shown) thread.lastShownRequest_ = Clock::Product().Now();
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
