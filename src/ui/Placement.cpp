#include "ui/Placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace ui {

QRect KeptOnScreen(QRect window, QSize screen) {
    int left = window.left();
    int top = window.top();
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (left + window.width() > screen.width()) left = screen.width() - window.width();
    if (top + window.height() > screen.height()) top = screen.height() - window.height();
    window.moveTo(left, top);
    return window;
}

namespace {

class FrameKeeper final : public QObject {
  public:
    explicit FrameKeeper(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::Show) {
            window_.removeEventFilter(this);
            check(0);
        }
        return false;
    }

  private:
    // The window system reports the frame a moment after showing (on X11 once the window
    // manager has framed the window); a window without a frame after a second has none.
    void check(int attempt) {
        const QWindow* native = window_.windowHandle();
        const bool framed = native && !native->frameMargins().isNull();
        if (!framed && attempt < 20) {
            QTimer::singleShot(50, this, [this, attempt] { check(attempt + 1); });
            return;
        }
        if (const QScreen* screen = window_.screen(); framed && screen) {
            const QRect frame = window_.frameGeometry();
            const QRect placed = KeptOnScreen(frame, screen->size());
            if (placed != frame) window_.move(placed.topLeft());
        }
        deleteLater();
    }

    QWidget& window_;
};

}  // namespace

void KeepFrameOnScreenWhenShown(QWidget& window) {
    new FrameKeeper(window);
}

void CentreOnScreen(QWidget& window) {
    const QScreen* shown = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!shown) return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(shown->availableGeometry().center());
    window.move(frame.topLeft());
}

}  // namespace ui
