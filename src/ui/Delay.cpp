#include "ui/Delay.h"

#include <QTimer>

namespace ui {

Delay::Delay(std::chrono::milliseconds interval, QObject* parent, quorvel::Clock& clock)
    : QObject(parent), clock_(clock), interval_(interval) {
    if (clock_.Manual()) {
        watch_ = quorvel::Clock::Watch([this] { clockMoved(); });
        return;
    }
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    timer_->setInterval(interval_);
    connect(timer_, &QTimer::timeout, this, &Delay::due);
}

// The manual clock may be gone already: only the watch is dropped here.
Delay::~Delay() {
    if (watch_) quorvel::Clock::Unwatch(watch_);
}

void Delay::Start() {
    if (timer_)
        timer_->start();
    else
        end_ = clock_.Now() + interval_;
}

void Delay::Stop() {
    if (timer_)
        timer_->stop();
    else
        end_.reset();
}

bool Delay::IsActive() const {
    return timer_ ? timer_->isActive() : end_.has_value();
}

// A manual clock no longer the product's (a test's, gone) moves nothing.
void Delay::clockMoved() {
    if (!end_ || &clock_ != &quorvel::Clock::Product() || clock_.Now() < *end_) return;
    end_.reset();
    emit due();
}

}  // namespace ui
