#pragma once

#include <atomic>
#include <chrono>
#include <functional>

namespace quorvel {

// The time the product's delays count on (the recovery copy's write, the check's delay, the page
// thread's quiet time, the merge's progress window). The system's clock runs on its own; a manual
// clock moves only when told, so tests drive every delay without waiting for real time.
class Clock {
  public:
    using Time = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;
    virtual Time Now() const = 0;
    // True for a clock that moves only when advanced: nobody may wait for it on a real deadline.
    virtual bool Manual() const = 0;

    // The clock the product counts on: the system's unless another was put in its place.
    static Clock& Product();
    // Puts `clock` in the system's place (nullptr: the system's again). Parts that count time
    // take the clock when they are made.
    static void SetProduct(Clock* clock);

    // `moved` runs on the advancing thread after a manual clock moved; the key is for Unwatch.
    static int Watch(std::function<void()> moved);
    static void Unwatch(int key);

  protected:
    static void TellMoved();
};

class SystemClock final : public Clock {
  public:
    Time Now() const override { return std::chrono::steady_clock::now(); }
    bool Manual() const override { return false; }
};

// Starts at the system's time when made, so that it never goes back behind times taken before.
class ManualClock : public Clock {
  public:
    ManualClock();
    Time Now() const override;
    bool Manual() const override { return true; }
    void Advance(std::chrono::milliseconds by);

  private:
    std::atomic<Time::rep> ticks_;
};

}  // namespace quorvel
