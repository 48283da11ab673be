#include "ui/Placement.h"

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "ui/FirstShow.h"

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

// Far beyond any screen: the bound where there is no screen to ask.
constexpr int kMaxSide = 8192;
// Room left for the frame the window system puts around a window.
constexpr int kFrameRoom = 48;

QRect FreeArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, kMaxSide, kMaxSide);
}

}  // namespace

QSize FittedToScreen(QSize size, QSize minimum) {
    const QSize area = FreeArea().size() - QSize(kFrameRoom, kFrameRoom);
    return QSize(
        std::clamp(size.width(), std::min(minimum.width(), area.width()), area.width()),
        std::clamp(size.height(), std::min(minimum.height(), area.height()), area.height()));
}

QRect FittedOnScreen(QRect window, QSize minimum) {
    const QRect area = FreeArea();
    window.setSize(FittedToScreen(window.size(), minimum));
    window.moveTo(
        std::clamp(window.left(), area.left(), area.right() + 1 - window.width() - kFrameRoom / 2),
        std::clamp(window.top(), area.top() + kFrameRoom / 2,
                   area.bottom() + 1 - window.height() - kFrameRoom / 2));
    return window;
}

namespace {

// The window system reports the frame a moment after showing (on X11 once the window manager
// has framed the window); a window without a frame after a second has none.
void keepFrameOnScreen(QWidget& window, int attempt) {
    const QWindow* native = window.windowHandle();
    const bool framed = native && !native->frameMargins().isNull();
    if (!framed) {
        if (attempt < 20)
            QTimer::singleShot(50, &window,
                               [&window, attempt] { keepFrameOnScreen(window, attempt + 1); });
        return;
    }
    if (const QScreen* screen = window.screen()) {
        const QRect frame = window.frameGeometry();
        const QRect placed = KeptOnScreen(frame, screen->size());
        if (placed != frame) window.move(placed.topLeft());
    }
}

}  // namespace

void PlaceStoredOnScreen(QWidget& window) {
    if (!window.testAttribute(Qt::WA_Moved)) return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    window.move(KeptOnScreen(QRect(window.pos(), window.size()), screen->size()).topLeft());
    KeepFrameOnScreenWhenShown(window);
}

void KeepFrameOnScreenWhenShown(QWidget& window) {
    AtFirstShow(window, [&window] { keepFrameOnScreen(window, 0); });
}

void CentreOnScreen(QWidget& window) {
    const QScreen* shown = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!shown) return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(shown->availableGeometry().center());
    window.move(frame.topLeft());
}

}  // namespace ui
