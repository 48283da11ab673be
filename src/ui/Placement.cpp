#include "ui/Placement.h"

#include <algorithm>

#include <QEvent>
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
    // A window larger than the screen would have its title bar pushed off the top or left: it
    // starts at the edge and is cut to the screen's size instead.
    if (left < 0) {
        left = 0;
        window.setWidth(screen.width());
    }
    if (top < 0) {
        top = 0;
        window.setHeight(screen.height());
    }
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

// Moves and sizes the window so that `rect`, which was `before` (its frame or itself), stands
// where `placed` says: a cut of the outer size is a cut of the inner one.
void applyPlacement(QWidget& window, const QRect& before, const QRect& placed) {
    if (placed.size() != before.size())
        window.resize(window.size() - (before.size() - placed.size()));
    window.move(placed.topLeft());
}

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
    // A maximised window is the window manager's to place.
    if (window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) return;
    if (const QScreen* screen = window.screen()) {
        const QRect frame = window.frameGeometry();
        const QRect placed = KeptOnScreen(frame, screen->size());
        if (placed != frame) applyPlacement(window, frame, placed);
    }
}

}  // namespace

void PlaceStoredOnScreen(QWidget& window) {
    if (!window.testAttribute(Qt::WA_Moved)) return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect stored(window.pos(), window.size());
    applyPlacement(window, stored, KeptOnScreen(stored, screen->size()));
    KeepFrameOnScreenWhenShown(window);
}

void KeepFrameOnScreenWhenShown(QWidget& window) {
    AtFirstShow(window, [&window] { keepFrameOnScreen(window, 0); });
}

NormalPlacement::NormalPlacement(QWidget& window)
    : QObject(&window), window_(window), placement_(window.pos(), window.size()) {
    window.installEventFilter(this);
}

bool NormalPlacement::normal() const {
    return !(window_.windowState() &
             (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized));
}

QRect NormalPlacement::Placement() const {
    return normal() && window_.isVisible() ? QRect(window_.pos(), window_.size()) : placement_;
}

bool NormalPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
        normal() && window_.isVisible())
        placement_ = QRect(window_.pos(), window_.size());
    return QObject::eventFilter(watched, event);
}

void CentreOnScreen(QWidget& window) {
    const QScreen* shown = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!shown) return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(shown->availableGeometry().center());
    window.move(frame.topLeft());
}

}  // namespace ui
