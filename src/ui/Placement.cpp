#include "ui/Placement.h"

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

}  // namespace ui
