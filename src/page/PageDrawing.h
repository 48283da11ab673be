#pragma once

#include <QRect>

#include <functional>
#include <vector>

class QPainter;

namespace quorvel::page {

// What drawing a laid-out page does, kept step by step so that the page is drawn again, any
// part of it, without the engine's tree: that tree takes a box per word, thousands for a
// Japanese sheet, where the steps are a small fraction of it. The steps look the page's fonts
// and pictures up as they are drawn, on the thread that draws them.
class PageDrawing {
  public:
    using Step = std::function<void(QPainter&)>;

    // A step that paints nothing outside `reach`; an empty `reach` paints anywhere.
    void Add(const QRect& reach, Step step);
    // What follows, up to the matching PopClip, is clipped to `rect`.
    void PushClip(const QRect& rect);
    void PopClip();

    // Draws the steps that reach into `area`, leaving the painter as it found it.
    void Replay(QPainter& painter, const QRect& area) const;

  private:
    enum class Kind { Paint, PushClip, PopClip };
    struct Entry {
        Kind kind;
        QRect reach;
        Step step;
    };
    std::vector<Entry> steps_;
};

}  // namespace quorvel::page
