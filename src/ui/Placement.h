#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace ui {

// Moves a window rectangle onto a screen of the given size: negative edges go to 0, then a window
// that sticks out on the right or at the bottom is moved back in.
QRect KeptOnScreen(QRect window, QSize screen);

// A stored size brought within the primary screen's free area (at least `minimum`): a size read
// back from the settings may be anything, and a window larger than the screen costs memory for
// nothing.
QSize FittedToScreen(QSize size, QSize minimum = QSize(120, 80));
// A stored rectangle fitted so, then moved wholly inside that area, title bar and all.
QRect FittedOnScreen(QRect window, QSize minimum = QSize(120, 80));

// Once the window is on the screen and its frame (title bar, borders) is known, moves it back in
// if the frame sticks out. A stored position is placed before the window has a frame, from its
// inner size, so a window restored at the bottom edge would keep its status bar off the screen.
void KeepFrameOnScreenWhenShown(QWidget& window);

// A window with a stored position is moved onto the primary screen, and its frame kept there
// once shown; one without is left to the window system to place.
void PlaceStoredOnScreen(QWidget& window);

// Moves a window, frame and all, to the middle of its screen's free area (the primary screen's
// when it has none yet).
void CentreOnScreen(QWidget& window);

}  // namespace ui
