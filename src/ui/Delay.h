#pragma once

#include <QObject>

#include <chrono>
#include <optional>

#include "platform/Clock.h"

class QTimer;

namespace ui {

// A single-shot delay counted on a clock (the product's unless told): a Qt timer on the system's
// clock; on a manual clock it falls due, on the thread that advances it, once the clock has
// passed its end.
class Delay : public QObject {
    Q_OBJECT
  public:
    Delay(std::chrono::milliseconds interval, QObject* parent,
          quorvel::Clock& clock = quorvel::Clock::Product());
    ~Delay() override;

    // From now; a running delay starts again.
    void Start();
    void Stop();
    bool IsActive() const;
    std::chrono::milliseconds Interval() const { return interval_; }

  signals:
    void due();

  private:
    void clockMoved();

    quorvel::Clock& clock_;
    std::chrono::milliseconds interval_;
    QTimer* timer_ = nullptr;                  // on the system's clock
    std::optional<quorvel::Clock::Time> end_;  // on a manual one
    int watch_ = 0;
};

}  // namespace ui
