#include "ui/Placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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

void CentreOnScreen(QWidget& window) {
    const QScreen* shown = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!shown) return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(shown->availableGeometry().center());
    window.move(frame.topLeft());
}

}  // namespace ui
