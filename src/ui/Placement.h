#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace ui {

// Moves a window rectangle onto a screen of the given size: negative edges go to 0, then a window
// that sticks out on the right or at the bottom is moved back in.
QRect KeptOnScreen(QRect window, QSize screen);

// Moves a window, frame and all, to the middle of its screen's free area (the primary screen's
// when it has none yet).
void CentreOnScreen(QWidget& window);

}  // namespace ui
