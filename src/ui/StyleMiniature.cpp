#include "ui/StyleMiniature.h"

#include <QPainter>

#include <algorithm>

TShape::TShape(QWidget* parent, const QString& objectName) : QWidget(parent) {
    setObjectName(objectName);
    setAutoFillBackground(false);
}

void TShape::SetPenWidth(int width) {
    width = std::max(width, 0);
    if (width == penWidth_) return;
    penWidth_ = width;
    update();
}

void TShape::SetPenVisible(bool visible) {
    if (visible == penVisible_) return;
    penVisible_ = visible;
    update();
}

void TShape::SetPenColor(quorvel::TColor colour) {
    if (colour == penColour_) return;
    penColour_ = colour;
    update();
}

void TShape::SetBrushColor(quorvel::TColor colour) {
    if (colour == brushColour_) return;
    brushColour_ = colour;
    update();
}

void TShape::SetBrushStyle(Qt::BrushStyle style) {
    if (style == brushStyle_) return;
    brushStyle_ = style;
    update();
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect bounds = rect();
    // Never let a wide pen turn the rectangle inside out.
    const int outline = std::min({OutlineWidth(), bounds.width() / 2, bounds.height() / 2});
    const QRect inner = bounds.adjusted(outline, outline, -outline, -outline);
    if (!inner.isEmpty()) painter.fillRect(inner, QBrush(qColorFromWin(brushColour_), brushStyle_));
    if (outline > 0) {
        const QColor pen = qColorFromWin(penColour_);
        painter.fillRect(QRect(bounds.left(), bounds.top(), bounds.width(), outline), pen);
        painter.fillRect(
            QRect(bounds.left(), bounds.bottom() - outline + 1, bounds.width(), outline), pen);
        painter.fillRect(QRect(bounds.left(), bounds.top(), outline, bounds.height()), pen);
        painter.fillRect(
            QRect(bounds.right() - outline + 1, bounds.top(), outline, bounds.height()), pen);
    }
}
