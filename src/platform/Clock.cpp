#include "platform/Clock.h"

#include <map>
#include <mutex>
#include <vector>

namespace quorvel {
namespace {

struct Watchers {
    std::mutex mutex;
    std::map<int, std::function<void()>> moved;
    int next = 0;
};

Watchers& watchers() {
    static Watchers* all = new Watchers;  // still there for whatever is torn down at the exit
    return *all;
}

std::atomic<Clock*>& product() {
    static std::atomic<Clock*> clock{nullptr};
    return clock;
}

}  // namespace

Clock& Clock::Product() {
    static SystemClock system;
    Clock* clock = product().load();
    return clock ? *clock : system;
}

void Clock::SetProduct(Clock* clock) {
    product().store(clock);
}

int Clock::Watch(std::function<void()> moved) {
    Watchers& all = watchers();
    std::lock_guard lock(all.mutex);
    const int key = ++all.next;
    all.moved.emplace(key, std::move(moved));
    return key;
}

void Clock::Unwatch(int key) {
    Watchers& all = watchers();
    std::lock_guard lock(all.mutex);
    all.moved.erase(key);
}

// A watcher may start, stop or end others (or itself) while it runs: each is looked up again
// just before it is called.
void Clock::TellMoved() {
    Watchers& all = watchers();
    std::vector<int> keys;
    {
        std::lock_guard lock(all.mutex);
        for (const auto& entry : all.moved) keys.push_back(entry.first);
    }
    for (const int key : keys) {
        std::function<void()> moved;
        {
            std::lock_guard lock(all.mutex);
            const auto found = all.moved.find(key);
            if (found == all.moved.end()) continue;
            moved = found->second;
        }
        moved();
    }
}

ManualClock::ManualClock() : ticks_(std::chrono::steady_clock::now().time_since_epoch().count()) {}

Clock::Time ManualClock::Now() const {
    return Time(Time::duration(ticks_.load()));
}

void ManualClock::Advance(std::chrono::milliseconds by) {
    ticks_ += std::chrono::duration_cast<Time::duration>(by).count();
    TellMoved();
}

}  // namespace quorvel
