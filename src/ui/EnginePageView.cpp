#include "ui/EnginePageView.h"

#include <QEvent>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <string_view>

#include "page/PageEngine.h"
#include "ui/LiveViewCanvas.h"
#include "ui/PictureFollower.h"

namespace {

// Narrower than this the page is not worth laying out (a window being shrunk to nothing).
constexpr int kMinimumCssWidth = 100;

}  // namespace

QString TEnginePageView::NoteText() {
    return QStringLiteral("Quorvel 内蔵の表示エンジンで表示しています");
}

TEnginePageView::TEnginePageView(QWidget* parent, int cssWidth)
    : QWidget(parent), cssWidth_(cssWidth) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    note_ = new QLabel(NoteText(), this);
    note_->setObjectName(QStringLiteral("LabelPageEngine"));
    note_->setContentsMargins(4, 2, 4, 2);
    note_->setWordWrap(true);
    note_->setAutoFillBackground(true);
    column->addWidget(note_);
    scroll_ = new QScrollArea(this);
    scroll_->setWidgetResizable(false);
    scroll_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll_->setFrameShape(QFrame::NoFrame);
    canvas_ = new TLiveViewCanvas(scroll_);
    scroll_->setWidget(canvas_);
    scroll_->viewport()->installEventFilter(this);
    QPalette white = scroll_->viewport()->palette();
    white.setColor(QPalette::Window, Qt::white);
    scroll_->viewport()->setPalette(white);
    scroll_->viewport()->setAutoFillBackground(true);
    column->addWidget(scroll_, 1);
    pictures_ = new ui::PictureFollower(this, this, [this] { relayout(); });
    fitWidth();
}

TEnginePageView::~TEnginePageView() = default;

const quorvel::page::PageLayout* TEnginePageView::Layout() const {
    return canvas_->Layout();
}

int TEnginePageView::CssWidth() const {
    return cssWidth_ > 0 ? cssWidth_ : std::max(scroll_->viewport()->width(), kMinimumCssWidth);
}

void TEnginePageView::SetCssWidth(int cssWidth) {
    if (cssWidth == cssWidth_) return;
    cssWidth_ = cssWidth;
    fitWidth();
    relayout();
}

// At a phone's width the viewport is exactly as wide as the phone's screen, as the browser
// view was; the vertical bar stands beside it.
void TEnginePageView::fitWidth() {
    if (cssWidth_ <= 0) {
        setMinimumWidth(0);
        setMaximumWidth(QWIDGETSIZE_MAX);
        scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        return;
    }
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFixedWidth(cssWidth_ + scroll_->verticalScrollBar()->sizeHint().width());
}

void TEnginePageView::ShowTags(const QByteArray& tags) {
    tags_ = tags;
    relayout();
}

void TEnginePageView::relayout() {
    if (tags_.isNull()) return;
    auto layout = std::make_shared<quorvel::page::PageLayout>();
    layout->Layout(std::string_view(tags_.constData(), static_cast<std::size_t>(tags_.size())),
                   CssWidth());
    pictures_->Follow(*layout);
    ShowLayout(std::move(layout));
}

void TEnginePageView::ShowLayout(std::shared_ptr<const quorvel::page::PageLayout> layout) {
    // Below a short page the screen is the page's white, as in a browser; at a phone's width
    // the viewport is that wide, though a resize may still be on its way.
    const bool phone = cssWidth_ > 0;
    canvas_->ShowLayout(std::move(layout), phone, phone ? cssWidth_ : scroll_->viewport()->width(),
                        phone);
}

bool TEnginePageView::eventFilter(QObject* watched, QEvent* event) {
    // Following the window's width, as a browser window does.
    if (watched == scroll_->viewport() && event->type() == QEvent::Resize && cssWidth_ <= 0 &&
        Layout() && Layout()->CssWidth() != CssWidth())
        relayout();
    return QWidget::eventFilter(watched, event);
}
