#include "liveview/LiveView.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "dialogs/PreviewPhoneTab.h"
#include "document/SheetDocument.h"
#include "page/PageEngine.h"
#include "page/PageLayoutWorker.h"
#include "ui/Controls.h"
#include "ui/Guarded.h"
#include "ui/LiveViewCanvas.h"
#include "ui/PictureFollower.h"

namespace {

constexpr int kMinimumCssWidth = 120;

}  // namespace

TLiveView::TLiveView(TSheetDocument& document, QWidget* parent)
    : QDockWidget(QStringLiteral("ライブ表示"), parent), document_(document) {
    setObjectName(QStringLiteral("DockLiveView"));
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable |
                QDockWidget::DockWidgetClosable);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);

    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(2, 2, 2, 2);
    auto* line = new QHBoxLayout;
    widthBox_ = new QComboBox(body);
    widthBox_->setObjectName(QStringLiteral("ComboBoxLiveWidth"));
    widthBox_->addItem(QStringLiteral("PC"), 0);
    for (int width : kPhoneWidths) widthBox_->addItem(QStringLiteral("%1 px").arg(width), width);
    widthLabel_ = new QLabel(body);
    widthLabel_->setObjectName(QStringLiteral("LabelLiveWidth"));
    line->addWidget(widthBox_);
    line->addWidget(widthLabel_, 1);
    column->addLayout(line);

    scroll_ = new QScrollArea(body);
    scroll_->setObjectName(QStringLiteral("ScrollLiveView"));
    scroll_->setWidgetResizable(false);
    scroll_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    canvas_ = new TLiveViewCanvas(scroll_);
    scroll_->setWidget(canvas_);
    scroll_->viewport()->installEventFilter(this);
    scroll_->viewport()->setAutoFillBackground(true);
    column->addWidget(scroll_, 1);
    setWidget(body);

    // A zero timer runs once the events already waiting are handled, so that one command's
    // many changes (apply-to-all, a loaded sheet) make one request.
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("LiveViewTimer"));
    timer_->setSingleShot(true);
    timer_->setInterval(0);
    connect(timer_, &QTimer::timeout, this, &TLiveView::request);
    connect(&document_, &TSheetDocument::changed, this, &TLiveView::schedule);
    ui::connectGuarded(widthBox_, &QComboBox::currentIndexChanged, this, [this] {
        keepRoomForWidth();
        schedule();
    });
    keepRoomForWidth();
    connect(canvas_, &TLiveViewCanvas::cellClicked, this, &TLiveView::cellClicked);
}

TLiveView::~TLiveView() = default;

int TLiveView::ChosenWidth() const {
    return widthBox_->currentData().toInt();
}

void TLiveView::ChooseWidth(int cssWidth) {
    const int index = widthBox_->findData(cssWidth);
    widthBox_->setCurrentIndex(index < 0 ? 0 : index);
}

int TLiveView::LaidOutWidth() const {
    return layout_ ? layout_->CssWidth() : 0;
}

int TLiveView::PageWidth() const {
    return layout_ ? layout_->PageWidth() : 0;
}

void TLiveView::Refresh() {
    if (Current() || !isVisible()) return;
    timer_->stop();
    auto layout = std::make_shared<quorvel::page::PageLayout>();
    layout->LayoutSheet(document_.Sheet(), WidthToLayOut());
    // Whatever the worker still brings is older than this.
    shown_ = requested_;
    stale_ = false;
    showLayout(std::move(layout));
}

bool TLiveView::Current() const {
    return !stale_ && !timer_->isActive() && shown_ == requested_ && layout_;
}

void TLiveView::SetFocusedTag(int tag) {
    canvas_->SetFocusedTag(tag);
    const QRect box = canvas_->CellRect(tag);
    if (!box.isEmpty()) scroll_->ensureVisible(box.left(), box.top(), 8, 8);
}

void TLiveView::showEvent(QShowEvent* event) {
    QDockWidget::showEvent(event);
    if (stale_) schedule();
}

bool TLiveView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroll_->viewport() && event->type() == QEvent::Resize) {
        // At the dock's own width, the page follows the dock's size.
        if (ChosenWidth() == 0 && LaidOutWidth() != scroll_->viewport()->width()) schedule();
        fitCanvas();
    }
    return QDockWidget::eventFilter(watched, event);
}

void TLiveView::schedule() {
    stale_ = true;
    // Hidden, it costs nothing: the page is laid out when it is shown again.
    if (isVisible() && !timer_->isActive()) timer_->start();
}

// The view is never narrower than the chosen phone's page and its width line, docked beside a
// maximised window or floating: a cut view would hide the very edge it is there to show.
void TLiveView::keepRoomForWidth() {
    const int chosen = ChosenWidth();
    const QMargins margins = widget()->layout()->contentsMargins();
    const int around = margins.left() + margins.right();
    const int page = chosen > 0 ? chosen + 1 + 2 * scroll_->frameWidth() +
                                      scroll_->verticalScrollBar()->sizeHint().width()
                                : kMinimumCssWidth;
    const QString longest =
        chosen > 0 ? TPreviewPhoneTab::WidthLine(chosen, 9999) : QStringLiteral("横幅 9999 px");
    const int line = widthBox_->sizeHint().width() +
                     widthLabel_->fontMetrics().horizontalAdvance(longest) +
                     widget()->layout()->spacing() + 8;
    widget()->setMinimumWidth(std::max(page, line) + around);
}

int TLiveView::WidthToLayOut() const {
    const int chosen = ChosenWidth();
    return chosen > 0 ? chosen : std::max(scroll_->viewport()->width(), kMinimumCssWidth);
}

void TLiveView::request() {
    if (!isVisible()) return;
    stale_ = false;
    requested_ = Worker().Request(document_.Sheet(), WidthToLayOut());
}

// Made when the view is first shown: loading the page's face is no part of the start-up.
quorvel::page::PageLayoutWorker& TLiveView::Worker() {
    if (!worker_) {
        worker_ = new quorvel::page::PageLayoutWorker(this);
        ui::connectGuarded(
            worker_, &quorvel::page::PageLayoutWorker::laidOut, this,
            [this](std::shared_ptr<quorvel::page::PageLayout> layout, quint64 serial) {
                if (serial <= shown_) return;
                shown_ = serial;
                showLayout(std::move(layout));
            });
        // A picture of the page shown that has come (or failed) changes its boxes.
        pictures_ = new ui::PictureFollower(this, this, [this] { schedule(); });
    }
    return *worker_;
}

// The canvas is at least as wide as the view, which changes with the dock and with the
// vertical bar a taller page brings: a phone's page stays centred on grey, with no sideways bar
// for a page that fits.
void TLiveView::fitCanvas() {
    if (layout_) canvas_->ShowLayout(layout_, ChosenWidth() > 0, scroll_->viewport()->width());
}

void TLiveView::showLayout(std::shared_ptr<quorvel::page::PageLayout> layout) {
    std::shared_ptr<quorvel::page::PageLayout> old = std::exchange(layout_, std::move(layout));
    const int chosen = ChosenWidth();
    QPalette palette = scroll_->viewport()->palette();
    palette.setColor(QPalette::Window,
                     chosen > 0 ? QColor::fromRgb(TLiveViewCanvas::kGrey) : QColor(Qt::white));
    scroll_->viewport()->setPalette(palette);
    fitCanvas();
    pictures_->Follow(*layout_);
    const int page = layout_->PageWidth();
    widthLabel_->setText(chosen == 0 ? QStringLiteral("横幅 %1 px").arg(page)
                                     : TPreviewPhoneTab::WidthLine(chosen, page));
    Worker().Dispose(std::move(old));
    emit laidOut(layout_->CssWidth(), page);
}
