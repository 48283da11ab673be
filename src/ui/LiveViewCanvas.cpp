#include "ui/LiveViewCanvas.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "page/PageEngine.h"

TLiveViewCanvas::TLiveViewCanvas(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("LiveViewCanvas"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TLiveViewCanvas::~TLiveViewCanvas() = default;

void TLiveViewCanvas::ShowLayout(std::shared_ptr<const quorvel::page::PageLayout> layout,
                                 bool phone, int minimumWidth, bool viewIsThePhone) {
    layout_ = std::move(layout);
    phone_ = phone;
    // A pixel more at a phone's width, for the edge's line when the page fills the phone.
    const int edgeLine = phone && !viewIsThePhone ? 1 : 0;
    const int width = std::max(layout_ ? layout_->PageWidth() + edgeLine : 0, minimumWidth);
    setFixedSize(width, layout_ ? std::max(layout_->PageHeight(), 1) : 1);
    update();
}

void TLiveViewCanvas::SetFocusedTag(int tag) {
    if (tag == focusedTag_) return;
    focusedTag_ = tag;
    update();
}

QPoint TLiveViewCanvas::PageOrigin() const {
    if (!layout_ || !phone_) return {};
    return QPoint(std::max((width() - layout_->PageWidth()) / 2, 0), 0);
}

int TLiveViewCanvas::PhoneEdge() const {
    if (!layout_ || !phone_) return -1;
    return PageOrigin().x() + layout_->CssWidth();
}

QRect TLiveViewCanvas::CellRect(int tag) const {
    if (!layout_) return {};
    const auto cell = layout_->Cell(tag);
    if (!cell) return {};
    return cell->box.toAlignedRect().translated(PageOrigin());
}

void TLiveViewCanvas::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
    if (!layout_) {
        painter.fillRect(dirty, Qt::white);
        return;
    }
    const QPoint origin = PageOrigin();
    const QRect page(origin, QSize(layout_->PageWidth(), height()));
    if (phone_) painter.fillRect(dirty, QColor::fromRgb(kGrey));
    painter.save();
    painter.translate(origin);
    layout_->Paint(painter, dirty.intersected(page).translated(-origin));
    painter.restore();
    if (const int edge = PhoneEdge(); edge >= 0) {
        const int past = origin.x() + layout_->PageWidth() - edge;
        if (past > 0)
            painter.fillRect(QRect(edge, 0, past, height()), QColor::fromRgba(kPastTheEdge));
        painter.setPen(QPen(QColor::fromRgb(kPhoneEdge), 1));
        painter.drawLine(edge, 0, edge, height());
    }
    const QRect focused = CellRect(focusedTag_);
    if (!focused.isEmpty()) {
        painter.setPen(QPen(QColor::fromRgb(kOutline), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(focused.adjusted(1, 1, -1, -1));
    }
}

void TLiveViewCanvas::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    if (!layout_ || event->button() != Qt::LeftButton) return;
    const int tag = layout_->CellAt(event->position() - QPointF(PageOrigin()));
    if (tag != 0) emit cellClicked(tag);
}
