#include "ui/FirstShow.h"

#include <QEvent>
#include <QWidget>

#include <utility>

namespace {

class FirstShowFilter final : public QObject {
  public:
    FirstShowFilter(QWidget& widget, std::function<void()> action)
        : QObject(&widget), action_(std::move(action)) {
        widget.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched == parent()) {
            watched->removeEventFilter(this);
            deleteLater();
            action_();
        }
        return false;
    }

  private:
    std::function<void()> action_;
};

}  // namespace

namespace ui {

void AtFirstShow(QWidget& widget, std::function<void()> action) {
    new FirstShowFilter(widget, std::move(action));
}

}  // namespace ui
