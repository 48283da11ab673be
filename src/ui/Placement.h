#pragma once

#include <QRect>
#include <QSize>

namespace ui {

// Moves a window rectangle onto a screen of the given size: negative edges go to 0, then a window
// that sticks out on the right or at the bottom is moved back in.
QRect KeptOnScreen(QRect window, QSize screen);

}  // namespace ui
