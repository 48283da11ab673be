#include "page/PictureDecodes.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "page/PictureDecoder.h"

namespace quorvel::page {
namespace {

using Clock = std::chrono::steady_clock;

std::mutex hookMutex;
std::function<void()> beforeDecode;

void RunHook() {
    std::function<void()> hook;
    {
        std::lock_guard lock(hookMutex);
        hook = beforeDecode;
    }
    if (hook) hook();
}

}  // namespace

// Outlives the decodes' owner: a thread given up on still holds it when it ends.
struct PictureDecodes::Shared {
    std::mutex mutex;
    std::condition_variable ended;
    Delivered delivered;
    std::deque<std::pair<std::uint64_t, QByteArray>> waiting;
    std::map<std::uint64_t, Clock::time_point> running;  // by ticket, since when
    int threads = 0;                                     // not given up on
    int abandoned = 0;
    bool stopped = false;

    // A thread takes decodes until none waits; one whose decode was given up on ends with it, a
    // fresh thread having taken its place.
    static void Work(const std::shared_ptr<Shared>& self) {
        std::unique_lock lock(self->mutex);
        for (;;) {
            if (self->stopped || self->waiting.empty()) {
                --self->threads;
                self->ended.notify_all();
                return;
            }
            auto [ticket, bytes] = std::move(self->waiting.front());
            self->waiting.pop_front();
            self->running[ticket] = Clock::now();
            lock.unlock();
            RunHook();
            const QImage image = DecodePicture(bytes);
            bytes.clear();
            lock.lock();
            if (self->running.erase(ticket) == 0) {
                --self->abandoned;
                self->ended.notify_all();
                return;
            }
            // Under the lock, so that nothing is delivered once Stop has returned.
            if (self->delivered) self->delivered(ticket, image);
        }
    }

    // The lock held.
    void StartThreads(const std::shared_ptr<Shared>& self) {
        while (threads<kThreads&& static_cast<int>(waiting.size())> 0 &&
               threads < static_cast<int>(waiting.size() + running.size())) {
            ++threads;
            std::thread([self] { Work(self); }).detach();
        }
    }
};

PictureDecodes::PictureDecodes(Delivered delivered) : shared_(std::make_shared<Shared>()) {
    shared_->delivered = std::move(delivered);
}

PictureDecodes::~PictureDecodes() {
    Stop(std::chrono::milliseconds(0));
}

bool PictureDecodes::Add(std::uint64_t ticket, QByteArray bytes) {
    std::lock_guard lock(shared_->mutex);
    if (shared_->stopped || shared_->abandoned >= kMaxAbandoned) return false;
    shared_->waiting.emplace_back(ticket, std::move(bytes));
    shared_->StartThreads(shared_);
    return true;
}

std::vector<std::uint64_t> PictureDecodes::GiveUpOverdue(std::chrono::milliseconds limit) {
    std::vector<std::uint64_t> overdue;
    std::lock_guard lock(shared_->mutex);
    const Clock::time_point now = Clock::now();
    for (auto it = shared_->running.begin(); it != shared_->running.end();) {
        if (now - it->second < limit) {
            ++it;
            continue;
        }
        overdue.push_back(it->first);
        it = shared_->running.erase(it);
        --shared_->threads;
        ++shared_->abandoned;
    }
    if (shared_->abandoned >= kMaxAbandoned) {
        // No thread will take what waits: it fails now rather than at the guard's end.
        for (const auto& [ticket, bytes] : shared_->waiting) overdue.push_back(ticket);
        shared_->waiting.clear();
    }
    shared_->StartThreads(shared_);
    return overdue;
}

bool PictureDecodes::Busy() const {
    std::lock_guard lock(shared_->mutex);
    return !shared_->running.empty() || !shared_->waiting.empty();
}

bool PictureDecodes::Stop(std::chrono::milliseconds bound) {
    std::unique_lock lock(shared_->mutex);
    shared_->stopped = true;
    shared_->waiting.clear();
    shared_->delivered = nullptr;
    return shared_->ended.wait_for(
        lock, bound, [this] { return shared_->threads == 0 && shared_->abandoned == 0; });
}

void PictureDecodes::SetBeforeDecode(std::function<void()> hook) {
    std::lock_guard lock(hookMutex);
    beforeDecode = std::move(hook);
}

}  // namespace quorvel::page
