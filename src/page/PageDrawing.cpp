#include "page/PageDrawing.h"

#include <QPainter>

namespace quorvel::page {

void PageDrawing::Add(const QRect& reach, Step step) {
    steps_.push_back({Kind::Paint, reach, std::move(step)});
}

void PageDrawing::PushClip(const QRect& rect) {
    steps_.push_back({Kind::PushClip, rect, {}});
}

void PageDrawing::PopClip() {
    steps_.push_back({Kind::PopClip, {}, {}});
}

void PageDrawing::Replay(QPainter& painter, const QRect& area) const {
    int depth = 0;
    for (const Entry& entry : steps_) {
        switch (entry.kind) {
            case Kind::PushClip:
                painter.save();
                painter.setClipRect(entry.reach, Qt::IntersectClip);
                ++depth;
                break;
            case Kind::PopClip:
                if (depth == 0) break;
                painter.restore();
                --depth;
                break;
            case Kind::Paint:
                if (entry.reach.isEmpty() || entry.reach.intersects(area)) entry.step(painter);
                break;
        }
    }
    for (; depth > 0; --depth) painter.restore();
}

}  // namespace quorvel::page
