#include "dialogs/DesignThumbnails.h"

#include <QPainter>
#include <QTimer>

#include <algorithm>

#include "sheet/BuiltinDesigns.h"
#include "ui/WinColour.h"
#ifdef QUORVEL_HAVE_PAGE
#include "page/PageEngine.h"
#include "page/PageLayoutWorker.h"
#endif

namespace {

int scaled(int cssPixels) {
    return static_cast<int>(cssPixels * TDesignThumbnails::kScale + 0.5);
}

// A white picture of Size() logical pixels; painters on it draw in logical pixels.
QImage blank(qreal pixelRatio) {
    const qreal ratio = pixelRatio > 0 ? pixelRatio : 1;
    QImage image((QSizeF(TDesignThumbnails::Size()) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    return image;
}

}  // namespace

QSize TDesignThumbnails::Size() {
    return {scaled(kPcWidth) + kGap + scaled(kPhoneWidth), kHeight};
}

TDesignThumbnails::TDesignThumbnails(QObject* parent) : QObject(parent) {
#ifdef QUORVEL_HAVE_PAGE
    worker_ = new quorvel::page::PageLayoutWorker(this);
    connect(worker_, &quorvel::page::PageLayoutWorker::laidOut, this, &TDesignThumbnails::paint);
#endif
}

TDesignThumbnails::~TDesignThumbnails() = default;

QImage TDesignThumbnails::Swatch(const quorvel::Design& design, qreal pixelRatio) {
    const quorvel::TCellFormat& title = design.Formats[0];
    const quorvel::TCellFormat& item = design.Formats[1];
    const quorvel::TCellFormat& text = design.Formats[2];
    QImage image = blank(pixelRatio);
    QPainter painter(&image);
    const int width = Size().width() - 20, band = 24, rows = 4, rowHeight = 18;
    const QRect table(10, 10, width, band + rows * rowHeight);
    painter.fillRect(QRect(table.left(), table.top(), width, band), qColorFromWin(title.BackColor));
    painter.fillRect(QRect(table.left() + 12, table.top() + 9, width / 2, 6),
                     qColorFromWin(title.FontColor));
    for (int row = 0; row < rows; ++row) {
        const int top = table.top() + band + row * rowHeight;
        painter.fillRect(QRect(table.left(), top, width / 3, rowHeight),
                         qColorFromWin(item.BackColor));
        painter.fillRect(QRect(table.left() + width / 3, top, width - width / 3, rowHeight),
                         qColorFromWin(text.BackColor));
        painter.fillRect(QRect(table.left() + 6, top + 7, width / 5, 4),
                         qColorFromWin(item.FontColor));
        painter.fillRect(QRect(table.left() + width / 3 + 6, top + 7, width / 2, 4),
                         qColorFromWin(text.FontColor));
    }
    if (design.Style.BorderWidth > 0) {
        QPen pen(design.Style.BorderColorSet ? qColorFromWin(design.Style.BorderColor)
                                             : QColor(0x80, 0x80, 0x80));
        pen.setWidth(std::min(design.Style.BorderWidth, 3));
        painter.setPen(pen);
        painter.drawRect(table);
    }
    return image;
}

void TDesignThumbnails::Draw(std::vector<quorvel::Design> designs, qreal pixelRatio) {
    designs_ = std::move(designs);
    pixelRatio_ = pixelRatio;
    next_ = 0;
#ifdef QUORVEL_HAVE_PAGE
    requestNext();
#else
    // Nothing to lay out: the swatches are the pictures, handed out once the caller listens.
    QTimer::singleShot(0, this, [this, count = designs_.size()] {
        if (designs_.size() != count || next_ != 0) return;
        for (std::size_t i = 0; i < designs_.size(); ++i)
            emit drawn(static_cast<int>(i), Swatch(designs_[i], pixelRatio_));
        next_ = designs_.size() * 2;
        emit finished();
    });
#endif
}

#ifdef QUORVEL_HAVE_PAGE
void TDesignThumbnails::requestNext() {
    if (Finished()) {
        emit finished();
        return;
    }
    quorvel::TDescriptionSheet sheet = quorvel::SampleListing();
    quorvel::ApplyDesign(designs_[next_ / 2], sheet);
    awaited_ = worker_->Request(sheet, next_ % 2 == 0 ? kPcWidth : kPhoneWidth);
}

void TDesignThumbnails::paint(const std::shared_ptr<quorvel::page::PageLayout>& layout,
                              quint64 serial) {
    if (serial != awaited_ || Finished()) {
        worker_->Dispose(layout);
        return;
    }
    const bool pc = next_ % 2 == 0;
    if (pc) current_ = blank(pixelRatio_);
    {
        // The page's top, as much as the picture's height shows.
        const int cssHeight = static_cast<int>(kHeight / kScale);
        QPainter painter(&current_);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.translate(pc ? 0 : scaled(kPcWidth) + kGap, 0);
        painter.scale(kScale, kScale);
        painter.setClipRect(QRect(0, 0, layout->CssWidth(), cssHeight));
        layout->Paint(painter, QRect(0, 0, layout->CssWidth(), cssHeight));
        painter.resetTransform();
        if (!pc) {
            painter.setPen(QColor(0xA0, 0xA0, 0xA0));
            painter.drawLine(scaled(kPcWidth) + kGap / 2, 0, scaled(kPcWidth) + kGap / 2, kHeight);
        }
    }
    worker_->Dispose(layout);
    const int index = static_cast<int>(next_ / 2);
    ++next_;
    if (!pc) emit drawn(index, current_);
    requestNext();
}
#else
void TDesignThumbnails::requestNext() {}
#endif
