#pragma once

#include <QObject>
#include <QRect>
#include <QSize>

class QWidget;

namespace ui {

// Moves a window rectangle onto a screen of the given size: negative edges go to 0, then a window
// that sticks out on the right or at the bottom is moved back in; one larger than the screen is
// cut to it at the edge.
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

// Follows where a window stands while it is neither maximised nor full screen: its frame's
// top-left corner and its inner size, the geometry that is stored for it and that it goes back
// to when restored. Qt's own normal geometry mixes the inner and the frame's position across a
// restart. Made once the window has its start geometry; it belongs to the window.
class NormalPlacement : public QObject {
  public:
    explicit NormalPlacement(QWidget& window);
    QRect Placement() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool normal() const;
    QWidget& window_;
    QRect placement_;
};

// Moves a window, frame and all, to the middle of its screen's free area (the primary screen's
// when it has none yet).
void CentreOnScreen(QWidget& window);

}  // namespace ui
