#include "panes/RowsArea.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVariant>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

#include "panes/CellEdit.h"
#include "ui/Guarded.h"

namespace {

QString fullWidthNumber(int n) {
    QString digits = QString::number(n);
    for (QChar& ch : digits) ch = QChar(ch.unicode() - u'0' + 0xFF10);
    return digits;
}

QFrame* makeRowPanel(QWidget* parent, const QString& name) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    return panel;
}

QWidget* makeColumn(QWidget* parent, const QString& name) {
    auto* column = new QWidget(parent);
    column->setObjectName(name);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return column;
}

}  // namespace

TRowsArea::TRowsArea(TSheetDocument& document, QWidget* parent)
    : QScrollArea(parent), document_(document) {
    setObjectName(QStringLiteral("ScrollBox1"));
    setMinimumHeight(64);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    verticalScrollBar()->setTracking(true);
    verticalScrollBar()->setSingleStep(kWheelStep);

    content_ = new QWidget;
    content_->setObjectName(QStringLiteral("ScrollBox1Content"));
    PanelLeft = makeColumn(content_, QStringLiteral("PanelLeft"));
    Splitter2 = new TColumnSplitter(*this, content_);
    PanelRight = makeColumn(content_, QStringLiteral("PanelRight"));

    heights_.fill(kMinRowHeight);
    for (int row = 1; row <= quorvel::kRowCount; ++row) buildRow(row);
    static_cast<QVBoxLayout*>(PanelLeft->layout())->addStretch(1);
    static_cast<QVBoxLayout*>(PanelRight->layout())->addStretch(1);

    // The content's width follows the viewport, its height is the scroll range.
    setWidgetResizable(true);
    setWidget(content_);
    content_->installEventFilter(this);
    UpdateRowsScrollRange();
    layoutColumns();

    const QList<QWidget*> order = FocusOrder();
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
    // Tab may come in from the bars outside, which the area's own focus handling never sees.
    for (QWidget* widget : order) widget->installEventFilter(this);
}

void TRowsArea::buildRow(int row) {
    const int i = row - 1;
    const QString n = QString::number(row);
    const CellPanelPlan item{QStringLiteral("CheckBoxKou") + n,
                             QStringLiteral("項目") + fullWidthNumber(row),
                             quorvel::ItemTag(row),
                             QStringLiteral("Memo%1Left").arg(row),
                             QString(),
                             QStringLiteral("SpeedButtonU") + n,
                             QStringLiteral("SpeedButtonD") + n,
                             QStringLiteral("row_grow"),
                             QStringLiteral("row_shrink")};
    PanelKou[i] = makeRowPanel(PanelLeft, QStringLiteral("PanelKou") + n);
    itemPanels_[i] = BuildCellPanel(PanelKou[i], document_, item);
    CheckBoxKou[i] = itemPanels_[i].Include;
    SpeedButtonU[i] = itemPanels_[i].Grow;
    SpeedButtonD[i] = itemPanels_[i].Shrink;
    MemoLeft[i] = itemPanels_[i].Edit;

    const CellPanelPlan description{
        QStringLiteral("CheckBoxSet") + n, QStringLiteral("説明") + fullWidthNumber(row),
        quorvel::DescriptionTag(row), QStringLiteral("Memo%1Right").arg(row)};
    PanelSet[i] = makeRowPanel(PanelRight, QStringLiteral("PanelSet") + n);
    descriptionPanels_[i] = BuildCellPanel(PanelSet[i], document_, description);
    CheckBoxSet[i] = descriptionPanels_[i].Include;
    MemoRight[i] = descriptionPanels_[i].Edit;

    PanelKou[i]->setFixedHeight(heights_[i]);
    PanelSet[i]->setFixedHeight(heights_[i]);
    PanelLeft->layout()->addWidget(PanelKou[i]);
    PanelRight->layout()->addWidget(PanelSet[i]);

    for (QToolButton* button : {SpeedButtonU[i], SpeedButtonD[i]})
        ui::connectGuarded(button, &QToolButton::clicked, this,
                           [this, row, button] { SpeedButtonUNClick(row, button); });
}

int TRowsArea::RowHeight(int row) const {
    if (row < 1 || row > quorvel::kRowCount) return 0;
    return heights_[row - 1];
}

void TRowsArea::SetRowHeight(int row, int height) {
    if (row < 1 || row > quorvel::kRowCount) return;
    const int i = row - 1;
    const int held = std::clamp(height, kMinRowHeight, kMaxRowHeight);
    if (held != heights_[i]) {
        heights_[i] = held;
        PanelKou[i]->setFixedHeight(held);
        PanelSet[i]->setFixedHeight(held);
        emit rowHeightChanged(row, held);
    }
    UpdateRowsScrollRange();
}

void TRowsArea::SpeedButtonUNClick(int row, const QObject* button) {
    if (!button || row < 1 || row > quorvel::kRowCount) return;
    const int tag = button->property("Tag").toInt();
    if (tag != 1 && tag != -1) return;
    SetRowHeight(row, heights_[row - 1] + kRowHeightStep * tag);
}

void TRowsArea::UpdateRowsScrollRange() {
    int sum = 0;
    for (int height : heights_) sum += height;
    range_ = sum;
    content_->setFixedHeight(range_);
    // A hidden area gets its resize event only when shown; keep the position inside the new
    // range now all the same.
    QScrollBar* bar = verticalScrollBar();
    bar->setMaximum(std::max(0, range_ - viewport()->height()));
}

int TRowsArea::ScrollPosition() const {
    return verticalScrollBar()->value();
}

void TRowsArea::SetScrollPosition(int position) {
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(std::clamp(position, 0, std::max(0, range_ - viewport()->height())));
}

void TRowsArea::ScrollBox1MouseWheelUp() {
    SetScrollPosition(ScrollPosition() - kWheelStep);
}

void TRowsArea::ScrollBox1MouseWheelDown() {
    SetScrollPosition(ScrollPosition() + kWheelStep);
}

void TRowsArea::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    // Sideways and empty (phase-only) events are not ours: there is nothing to scroll sideways.
    if (delta.y() == 0 || std::abs(delta.x()) > std::abs(delta.y())) {
        event->ignore();
        return;
    }
    if (delta.y() > 0)
        ScrollBox1MouseWheelUp();
    else
        ScrollBox1MouseWheelDown();
    event->accept();
}

bool TRowsArea::eventFilter(QObject* watched, QEvent* event) {
    const bool handled = QScrollArea::eventFilter(watched, event);
    if (watched == content_ && event->type() == QEvent::Resize) {
        layoutColumns();
    } else if (event->type() == QEvent::FocusIn) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Moving there by keyboard brings the row into view; a click leaves the view alone.
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
            if (QWidget* row = rowPanelOf(qobject_cast<QWidget*>(watched)))
                ensureWidgetVisible(row, 0, 0);
    }
    return handled;
}

QWidget* TRowsArea::rowPanelOf(QWidget* widget) const {
    for (QWidget* w = widget; w; w = w->parentWidget())
        if (w->parentWidget() == PanelLeft || w->parentWidget() == PanelRight) return w;
    return nullptr;
}

int TRowsArea::ShownLeftColumnWidth() const {
    const int room = content_->width() - kSplitterWidth - kMinColumnWidth;
    return std::min(leftWidth_, std::max(kMinColumnWidth, room));
}

void TRowsArea::layoutColumns() {
    const int width = content_->width();
    const int height = content_->height();
    const int left = ShownLeftColumnWidth();
    PanelLeft->setGeometry(0, 0, left, height);
    Splitter2->setGeometry(left, 0, kSplitterWidth, height);
    PanelRight->setGeometry(left + kSplitterWidth, 0, std::max(0, width - left - kSplitterWidth),
                            height);
}

void TRowsArea::SetLeftColumnWidth(int width) {
    const int held = std::max(width, kMinColumnWidth);
    if (held == leftWidth_) return;
    leftWidth_ = held;
    layoutColumns();
    emit leftColumnWidthChanged(leftWidth_);
}

void TRowsArea::dragLeftColumnTo(int width) {
    const int most =
        std::max(kMinColumnWidth, content_->width() - kSplitterWidth - kMinColumnWidth);
    SetLeftColumnWidth(std::clamp(width, kMinColumnWidth, most));
}

TCellEdit* TRowsArea::Cell(int tag) const {
    if (!quorvel::IsRowCellTag(tag)) return nullptr;
    if (tag % 2 == 1) return MemoLeft[(tag - 999) / 2 - 1];
    return MemoRight[(tag - 1000) / 2 - 1];
}

QList<TCellEdit*> TRowsArea::Cells() const {
    QList<TCellEdit*> cells;
    for (int tag = quorvel::kTitleTag + 1; tag < quorvel::kNoteTag; ++tag) cells.append(Cell(tag));
    return cells;
}

QList<QWidget*> TRowsArea::FocusOrder() const {
    QList<QWidget*> order;
    for (int i = 0; i < quorvel::kRowCount; ++i) order << CheckBoxKou[i] << MemoLeft[i];
    for (int i = 0; i < quorvel::kRowCount; ++i) order << CheckBoxSet[i] << MemoRight[i];
    return order;
}

void TRowsArea::CheckBoxKouClick(int row) {
    if (row < 1 || row > quorvel::kRowCount) return;
    itemPanels_[row - 1].IncludeClick();
}

void TRowsArea::CheckBoxSetClick(int row) {
    if (row < 1 || row > quorvel::kRowCount) return;
    descriptionPanels_[row - 1].IncludeClick();
}

void TRowsArea::ShowIncludeFlags() {
    for (int i = 0; i < quorvel::kRowCount; ++i) {
        itemPanels_[i].ShowIncludeFlag();
        descriptionPanels_[i].ShowIncludeFlag();
    }
}

void TRowsArea::ShowCells() {
    for (int i = 0; i < quorvel::kRowCount; ++i) {
        itemPanels_[i].ShowCell();
        descriptionPanels_[i].ShowCell();
    }
}

TColumnSplitter::TColumnSplitter(TRowsArea& area, QWidget* parent) : QWidget(parent), area_(area) {
    setObjectName(QStringLiteral("Splitter2"));
    setCursor(Qt::SplitHCursor);
    setFixedWidth(TRowsArea::kSplitterWidth);
}

void TColumnSplitter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::blue);
}

void TColumnSplitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    grabOffset_ = qRound(event->position().x());
    event->accept();
}

void TColumnSplitter::mouseMoveEvent(QMouseEvent* event) {
    if (grabOffset_ < 0) return;
    const QPoint inContent = mapToParent(event->position().toPoint());
    area_.dragLeftColumnTo(inContent.x() - grabOffset_);
}

void TColumnSplitter::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) grabOffset_ = -1;
}
