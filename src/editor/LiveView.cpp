#include "editor/LiveView.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
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
#include "ui/FileDrops.h"
#include "ui/FirstShow.h"
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

// The room the docked view takes is added to the window rather than taken from the sheet: the
// window widens as the view comes into the dock, as far as the screen allows, and gives the room
// back as the view leaves it, hidden or floated, so the window's own width stays the sheet's.
class DockRoom : public QObject {
  public:
    // `taken`: the window's present width already holds the docked view's room (restored so).
    DockRoom(TFormMain& main, TLiveView* view, bool taken)
        : QObject(view), main_(main), view_(view), docked_(inDock()), taken_(taken && docked_) {
        view->installEventFilter(this);
        connect(view->toggleViewAction(), &QAction::toggled, this, [this] { follow(); });
        connect(view, &QDockWidget::topLevelChanged, this, [this] { follow(); });
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The width it had in the dock, which a floated view no longer shows.
        if (watched == view_ && event->type() == QEvent::Resize && inDock() && view_->isVisible())
            dockedWidth_ = view_->width();
        return QObject::eventFilter(watched, event);
    }

  private:
    bool inDock() const { return !view_->isHidden() && !view_->isFloating(); }
    bool resizable() const {
        return !(main_.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
    }
    void follow() {
        const bool docked = inDock();
        if (docked == docked_) return;
        docked_ = docked;
        if (!docked) {
            if (taken_ && resizable())
                main_.resize(std::max(main_.width() - dockedWidth_, main_.minimumWidth()),
                             main_.height());
            taken_ = false;
            return;
        }
        const int screen = main_.screen() ? main_.screen()->availableGeometry().width() : 1 << 16;
        const int needed = view_->minimumSizeHint().width();
        const int width =
            std::min(std::max(kDockWidth, needed), std::max(screen - main_.width(), 0));
        taken_ = resizable() && width > 0;
        if (taken_) main_.resize(main_.width() + width, main_.height());
        // A maximised window, or one with no room left on the screen, gives the view the sheet's
        // room: still the whole phone and its width line.
        main_.resizeDocks({view_},
                          {taken_ ? std::max(width, needed) : std::max(kDockWidth, needed)},
                          Qt::Horizontal);
        dockedWidth_ = view_->width();
    }

    TFormMain& main_;
    TLiveView* view_;
    bool docked_;
    bool taken_;
    int dockedWidth_ = kDockWidth;
};

void ShowBesideSheet(TLiveView* view, bool on) {
    if (on == view->toggleViewAction()->isChecked()) return;
    view->setVisible(on);
    if (on && view->isFloating()) view->raise();
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
                       [view](bool on) { ShowBesideSheet(view, on); });
    auto* key = new QShortcut(QKeySequence(Qt::Key_F12), &main);
    key->setObjectName(QStringLiteral("ShortcutLiveView"));
    key->setContext(Qt::WindowShortcut);
    ui::connectGuarded(key, &QShortcut::activated, view,
                       [view] { ShowBesideSheet(view, !view->toggleViewAction()->isChecked()); });
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
    ui::AcceptFileDrops(*view, [&main](const QStringList& paths) { main.FilesDropped(paths); });
    main.AddSettingsSource([view](quorvel::SettingsSnapshot& snapshot) {
        quorvel::LiveViewSettings state;
        state.Visible = view->toggleViewAction()->isChecked();
        state.Floating = view->isFloating();
        const QRect frame = view->geometry();
        state.Left = frame.x();
        state.Top = frame.y();
        state.Width = frame.width();
        state.Height = frame.height();
        state.CssWidth = view->ChosenWidth();
        snapshot.LiveView = state;
    });
    bool shownInDock = false;
    bool shownFloating = false;
    if (const auto stored = settings ? quorvel::ReadLiveViewSettings(*settings)
                                     : std::optional<quorvel::LiveViewSettings>()) {
        view->ChooseWidth(stored->CssWidth);
        view->setFloating(stored->Floating);
        if (stored->Floating && stored->Width > 0 && stored->Height > 0)
            view->setGeometry(ui::FittedOnScreen(
                QRect(stored->Left, stored->Top, stored->Width, stored->Height)));
        else if (stored->Width > 0)
            main.resizeDocks({view}, {ui::FittedToScreen(QSize(stored->Width, 1)).width()},
                             Qt::Horizontal);
        shownInDock = stored->Visible && !stored->Floating;
        shownFloating = stored->Visible && stored->Floating;
        view->setVisible(shownInDock);
    }
    // The window's stored width holds the room of a view restored in the dock.
    new DockRoom(main, view, shownInDock);
    if (shownFloating) {
        // A window of its own, shown once the main window is up so that it stands above it, and
        // on the screen.
        ui::AtFirstShow(main, [view] {
            QTimer::singleShot(0, view, [view] {
                ui::PlaceStoredOnScreen(*view);
                view->show();
                view->raise();
            });
        });
    }
}
