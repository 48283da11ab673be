#include "editor/LiveViewDock.h"

#include <QAction>
#include <QEvent>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

#include "editor/Mainunit.h"
#include "liveview/LiveView.h"
#include "panes/CellEdit.h"
#include "store/Settings.h"
#include "ui/Controls.h"
#include "ui/FileDrops.h"
#include "ui/FirstShow.h"
#include "ui/Guarded.h"
#include "ui/Placement.h"

namespace {

// The docked view's width when first shown: a phone's page with room around it.
constexpr int kDockWidth = 440;

}  // namespace

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
