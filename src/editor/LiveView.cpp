#include "editor/LiveView.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "dialogs/PreviewPhoneTab.h"
#include "editor/CellEdit.h"
#include "editor/LiveViewCanvas.h"
#include "editor/Mainunit.h"
#include "editor/SheetDocument.h"
#include "page/PageEngine.h"
#include "page/PageLayoutWorker.h"
#include "store/Settings.h"
#include "ui/Controls.h"
#include "ui/Guarded.h"
#include "ui/PictureFollower.h"
#include "ui/Placement.h"

namespace {

constexpr int kMinimumCssWidth = 120;
// The docked view's width when first shown: a phone's page with room around it.
constexpr int kDockWidth = 440;

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
    ui::connectGuarded(widthBox_, &QComboBox::currentIndexChanged, this, [this] { schedule(); });
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
    // At the dock's own width, the page follows the dock's size.
    if (watched == scroll_->viewport() && event->type() == QEvent::Resize && ChosenWidth() == 0 &&
        LaidOutWidth() != scroll_->viewport()->width())
        schedule();
    return QDockWidget::eventFilter(watched, event);
}

void TLiveView::schedule() {
    stale_ = true;
    // Hidden, it costs nothing: the page is laid out when it is shown again.
    if (isVisible() && !timer_->isActive()) timer_->start();
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

void TLiveView::showLayout(std::shared_ptr<quorvel::page::PageLayout> layout) {
    std::shared_ptr<quorvel::page::PageLayout> old = std::exchange(layout_, std::move(layout));
    const int chosen = ChosenWidth();
    QPalette palette = scroll_->viewport()->palette();
    palette.setColor(QPalette::Window,
                     chosen > 0 ? QColor::fromRgb(TLiveViewCanvas::kGrey) : QColor(Qt::white));
    scroll_->viewport()->setPalette(palette);
    canvas_->ShowLayout(layout_, chosen > 0, scroll_->viewport()->width());
    pictures_->Follow(*layout_);
    const int page = layout_->PageWidth();
    widthLabel_->setText(chosen == 0 ? QStringLiteral("横幅 %1 px").arg(page)
                                     : TPreviewPhoneTab::WidthLine(chosen, page));
    Worker().Dispose(std::move(old));
    emit laidOut(layout_->CssWidth(), page);
}

namespace {

// Writes the view's state when the main window closes, with the other settings.
class LiveViewKeeper : public QObject {
  public:
    LiveViewKeeper(TLiveView* view, quorvel::KeyStore* settings, QObject* parent)
        : QObject(parent), view_(view), settings_(settings) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close && settings_) {
            quorvel::LiveViewSettings state;
            state.Visible = view_->toggleViewAction()->isChecked();
            state.Floating = view_->isFloating();
            const QRect frame = view_->geometry();
            state.Left = frame.x();
            state.Top = frame.y();
            state.Width = frame.width();
            state.Height = frame.height();
            state.CssWidth = view_->ChosenWidth();
            quorvel::WriteLiveViewSettings(*settings_, state);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    TLiveView* view_;
    quorvel::KeyStore* settings_;
};

// Docked, the view widens the window rather than narrowing the sheet, as far as the screen
// allows, and gives the room back when it goes.
void ShowBesideSheet(TFormMain& main, TLiveView* view, bool on) {
    if (on == view->toggleViewAction()->isChecked()) return;
    const bool resizable =
        !view->isFloating() && !(main.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
    if (!on) {
        const int room = view->width();
        view->hide();
        if (resizable)
            main.resize(std::max(main.width() - room, main.minimumWidth()), main.height());
        return;
    }
    const int screen = main.screen() ? main.screen()->availableGeometry().width() : 1 << 16;
    const int width = std::min(kDockWidth, std::max(screen - main.width(), 0));
    if (resizable && width > 0) main.resize(main.width() + width, main.height());
    view->show();
    if (resizable) main.resizeDocks({view}, {std::max(width, kDockWidth / 2)}, Qt::Horizontal);
}

void PutToggleAfterMerge(TFormMain& main, TLiveView* view) {
    QToolButton* toggle =
        ui::makeSpeedButton(main.ToolBar1, QStringLiteral("SpeedButtonLiveView"),
                            QStringLiteral("ライブ表示|編集中のページを横に表示 (F12)"),
                            QStringLiteral("liveview"), true);
    const QList<QAction*> actions = main.ToolBar1->actions();
    QAction* before = nullptr;
    for (int i = 0; i + 1 < actions.size(); ++i) {
        if (main.ToolBar1->widgetForAction(actions[i]) == main.SpeedButtonMerge)
            before = actions[i + 1];
    }
    main.ToolBar1->insertWidget(before, toggle);
    QAction* shown = view->toggleViewAction();
    QObject::connect(shown, &QAction::toggled, toggle, &QToolButton::setChecked);
    ui::connectGuarded(toggle, &QToolButton::clicked, view,
                       [&main, view](bool on) { ShowBesideSheet(main, view, on); });
    auto* key = new QShortcut(QKeySequence(Qt::Key_F12), &main);
    key->setObjectName(QStringLiteral("ShortcutLiveView"));
    key->setContext(Qt::WindowShortcut);
    ui::connectGuarded(key, &QShortcut::activated, view, [&main, view] {
        ShowBesideSheet(main, view, !view->toggleViewAction()->isChecked());
    });
}

}  // namespace

void AttachLiveView(TFormMain& main, quorvel::KeyStore* settings) {
    auto* view = new TLiveView(*main.SheetDocument(), &main);
    main.addDockWidget(Qt::RightDockWidgetArea, view);
    view->hide();
    PutToggleAfterMerge(main, view);
    for (int tag = quorvel::kTitleTag; tag <= quorvel::kNoteTag; ++tag) {
        TCellEdit* cell = main.CellByTag(tag);
        if (!cell) continue;
        QObject::connect(cell, &TCellEdit::cellEntered, view,
                         [view](TCellEdit* entered) { view->SetFocusedTag(entered->Tag()); });
    }
    ui::connectGuarded(view, &TLiveView::cellClicked, &main, [&main](int tag) {
        const auto length = static_cast<int>(main.Sheet().CellByTag(tag).Text.size());
        main.GoToCellText(tag, length, 0);
    });
    if (!settings) return;
    if (const auto stored = quorvel::ReadLiveViewSettings(*settings)) {
        view->ChooseWidth(stored->CssWidth);
        view->setFloating(stored->Floating);
        if (stored->Floating && stored->Width > 0 && stored->Height > 0)
            view->setGeometry(ui::FittedOnScreen(
                QRect(stored->Left, stored->Top, stored->Width, stored->Height)));
        else if (stored->Width > 0)
            main.resizeDocks({view}, {ui::FittedToScreen(QSize(stored->Width, 1)).width()},
                             Qt::Horizontal);
        view->setVisible(stored->Visible);
    }
    main.installEventFilter(new LiveViewKeeper(view, settings, view));
}
