#include "editor/Mainunit.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <limits>
#include <utility>

#include "dialogs/About.h"
#include "dialogs/DesignChooser.h"
#include "dialogs/Linkunit.h"
#include "dialogs/Preview.h"
#include "dialogs/PreviewCheckTab.h"
#include "dialogs/PreviewPhoneTab.h"
#include "editor/DocumentController.h"
#include "editor/EditMenu.h"
#include "editor/KeyShortcuts.h"
#include "panes/CellEdit.h"
#include "panes/CellHint.h"
#include "panes/FormatToolbar.h"
#ifdef QUORVEL_HAVE_PAGE
#include "editor/LiveViewDock.h"
#endif
#include "document/SheetDocument.h"
#include "editor/MergeCommand.h"
#include "editor/PreviewCommand.h"
#include "editor/RecentFiles.h"
#include "editor/RecoveryOffer.h"
#include "editor/UndoCommands.h"
#include "followers/ListingChecker.h"
#include "followers/RecoveryKeeper.h"
#include "followers/VersionCheckDriver.h"
#include "panes/RowsArea.h"
#include "panes/SheetBars.h"
#include "panes/StatusNote.h"
#include "panes/StyleStrip.h"
#include "platform/NetworkState.h"
#include "sheet/Maker.h"
#include "store/DesignStore.h"
#include "store/Settings.h"
#include "ui/Controls.h"
#include "ui/DialogSeam.h"
#include "ui/ErrorBox.h"
#include "ui/FileDrops.h"
#include "ui/Placement.h"
#include "ui/ToolButtons.h"
#include "update/VersionCheck.h"

namespace {

using FileButton = ui::ToolButtonEntry<TFormMain>;

// The file toolbar, left to right; a row without a name is a separator.
const FileButton kFileToolbar[] = {
    {"SpeedButtonNew", "新規作成|編集中の内容を破棄して新規に作成", "new", false,
     &TFormMain::SpeedButtonNew, &TFormMain::SpeedButtonNewClick},
    {"SpeedButtonOpen", "開く|保存しているデータを読み込み編集", "open", false,
     &TFormMain::SpeedButtonOpen, &TFormMain::SpeedButtonOpenClick},
    {"SpeedButtonSave", "上書き保存|編集中データを現在のファイル名で上書き保存", "save", false,
     &TFormMain::SpeedButtonSave, &TFormMain::SpeedButtonSaveClick},
    {"SpeedButtonSaveAs", "名前を付けて保存|編集中データに名前をつけてファイル保存", "saveas",
     false, &TFormMain::SpeedButtonSaveAs, &TFormMain::SpeedButtonSaveAsClick},
    {},
    {"SpeedButtonUndo", "元に戻す", "undo", false, &TFormMain::SpeedButtonUndo},
    {"SpeedButtonRedo", "やり直し", "redo", false, &TFormMain::SpeedButtonRedo},
    {},
    {"SpeedButtonPreview", "プレビュー|プレビューを表示／HTMLタグ内容コピー", "preview", false,
     &TFormMain::SpeedButtonPreview, nullptr, &TFormMain::SpeedButtonPreviewClick, 19},
    {"SpeedButtonTagCopy", "タグコピー|プレビューなしタグコピー", "tagcopy", false,
     &TFormMain::SpeedButtonTagCopy, nullptr, &TFormMain::SpeedButtonPreviewClick, 19},
    {"SpeedButtonMerge", "一括作成|CSVの各行から説明タグを一括作成", "merge", false,
     &TFormMain::SpeedButtonMerge, &TFormMain::SpeedButtonMergeClick, nullptr, 19},
    {},
    {"SpeedButtonLink", "リンクタグ|リンクタグを挿入", "link", false, &TFormMain::SpeedButtonLink,
     nullptr, &TFormMain::LinkClick},
    {},
    {"SpeedButtonStayOnTop", "最前面表示|他のｱﾌﾟﾘｹｰｼｮﾝよりも前面で実行", "stayontop", true,
     &TFormMain::SpeedButtonStayOnTop, &TFormMain::SpeedButtonStayOnTopClick},
    {"SpeedButtonMulti", "多重起動許可（次回起動から有効）|複数起動を許可", "multi", true,
     &TFormMain::SpeedButtonMulti},
    {},
    {"SpeedButtonHelp", "バージョン情報", "help", false, &TFormMain::SpeedButtonHelp,
     &TFormMain::SpeedButtonHelpClick},
};

// A stored place and size; without a stored position the window system places the window.
void MoveResize(QWidget* window, const std::optional<int>& left, const std::optional<int>& top,
                const std::optional<int>& width, const std::optional<int>& height) {
    if (left || top) window->move(left.value_or(window->x()), top.value_or(window->y()));
    window->resize(ui::FittedToScreen(
        QSize(width.value_or(window->width()), height.value_or(window->height()))));
}

}  // namespace

TFormMain::TFormMain(quorvel::KeyStore* settings, bool otherInstanceRunning, QWidget* parent)
    : QMainWindow(parent), settings_(settings) {
    setObjectName(QStringLiteral("FormMain"));
    resize(414, 432);
    ui::AcceptFileDrops(*this, [this](const QStringList& paths) { FilesDropped(paths); });

    sheetDocument_ = new TSheetDocument(sheet_, this);
    buildFileToolbar();
    addToolBarBreak();
    formatToolbar_ = new TFormatToolbar(
        *sheetDocument_, [this] { return FocusedCell(); }, SpeedButtonLink, this);
    addToolBar(Qt::TopToolBarArea, formatToolbar_);

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    styleStrip_ = new TStyleStrip(*sheetDocument_, central);
    titleBar_ = new TTitleBar(*sheetDocument_, central);
    rowsArea_ = new TRowsArea(*sheetDocument_, central);
    noteBar_ = new TNoteBar(*sheetDocument_, central);
    column->addWidget(styleStrip_);
    column->addWidget(titleBar_);
    column->addWidget(rowsArea_, 1);
    column->addWidget(noteBar_);
    setCentralWidget(central);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(19);
    StatusBar1->setSizeGripEnabled(true);
    setStatusBar(StatusBar1);
    statusNote_ = new TStatusNote(StatusBar1);

    // The 22 boxes in the sheet's order, whichever pane shows them.
    for (const QList<TCellEdit*>& pane :
         {titleBar_->Cells(), rowsArea_->Cells(), noteBar_->Cells()})
        for (TCellEdit* cell : pane) cells_[cell->Tag() - quorvel::kTitleTag] = cell;

    editMenu_ = new TEditMenu(*sheetDocument_, this);
    wireCells();
    setTabOrder();

    document_ = new TDocumentController(*sheetDocument_, this, this);
    // What the status line said (a copy, a paste) was about the sheet now gone.
    connect(document_, &TDocumentController::sheetReplaced, StatusBar1, &QStatusBar::clearMessage);
    // Once the work is saved, what the note told about the start is past.
    connect(document_, &TDocumentController::saved, statusNote_, &TStatusNote::Clear);
    connect(document_, &TDocumentController::scrollToTopWanted, rowsArea_, &TRowsArea::ScrollToTop);

    InstallFileShortcuts(*this, *document_);
    ui::connectGuarded(formatToolbar_, &TFormatToolbar::designRequested, this, [this] {
        TCellEdit* focused = FocusedCell();
        quorvel::DesignStore store;
        TDesignChooser chooser(
            *sheetDocument_, store,
            [this](const quorvel::Design& design) { return document_->NewInDesign(design); },
            focused ? focused->Tag() : 0, this);
        dialogs().execModal(chooser);
    });
    recentFiles_ = new TRecentFiles(SpeedButtonOpen, this);
    connect(document_, &TDocumentController::fileUsed, recentFiles_, &TRecentFiles::Add);
    connect(document_, &TDocumentController::loadFailed, recentFiles_, &TRecentFiles::Remove);
    ui::connectGuarded(recentFiles_, &TRecentFiles::fileChosen, this,
                       [this](const QString& path) { document_->OpenPath(path); });
    // The sheet starts reset and every pane was built showing it.
    setWindowTitle(document_->Title());
    connect(sheetDocument_, &TSheetDocument::fileNameChanged, this,
            [this] { setWindowTitle(document_->Title()); });
    recovery_ = new TRecoveryKeeper(
        *sheetDocument_, [this] { return document_->CurrentFileName(); }, {}, this);
    recovery_->Follow(*sheetDocument_);
    const auto cellByTag = [this](int tag) { return CellByTag(tag); };
    previewCommand_ = new TPreviewCommand(
        *sheetDocument_, [this]() -> TFormPreview& { return *Preview(); }, *StatusBar1, *rowsArea_,
        cellByTag, this);
    new TUndoCommands(*sheetDocument_, SpeedButtonUndo, SpeedButtonRedo, cellByTag, *rowsArea_,
                      *formatToolbar_, *this);
#ifdef QUORVEL_HAVE_PAGE
    AttachLiveView(*this, settings_);
#endif
    cellHint_ = new TCellHint(this);
    qApp->installEventFilter(cellHint_);

    versionCheck_ = new TVersionCheckDriver(this, otherInstanceRunning);
    StartVersionCheck(quorvel::maker::kUpdateHost, [] { return quorvel::network::IsOnline(); });
    styleStrip_->ComboBoxTableBorderWidth->setFocus(Qt::OtherFocusReason);
}

TFormMain::~TFormMain() {
    versionCheck_->Cancel();
    // The preview window goes before the rest of the main window.
    delete preview_;
    preview_ = nullptr;
    if (cellHint_) qApp->removeEventFilter(cellHint_);
}

TFormPreview* TFormMain::Preview() {
    if (preview_) return preview_;
    preview_ = new TFormPreview(this);
    InstallCloseOnEscape(preview_);
    MoveResize(preview_, storedPvLeft_, storedPvTop_, storedPvWidth_, storedPvHeight_);
    ui::PlaceStoredOnScreen(*preview_);
    // The check's settings were taken at the start; the new window shows them.
    preview_->SetMaxChars(static_cast<int>(
        std::min<std::size_t>(Checker()->MaxChars(), std::numeric_limits<int>::max())));
    preview_->SetPhoneWidth(Checker()->PhoneWidth());
    previewCommand_->Follow(*preview_);
    for (const auto& made : previewMade_) made(*preview_);
    return preview_;
}

void TFormMain::WhenPreviewMade(std::function<void(TFormPreview&)> made) {
    if (preview_) made(*preview_);
    previewMade_.push_back(std::move(made));
}

void TFormMain::buildFileToolbar() {
    ToolBar1 = new QToolBar(this);
    ui::setUpToolBar(ToolBar1, QStringLiteral("ToolBar1"));
    addToolBar(Qt::TopToolBarArea, ToolBar1);
    for (const FileButton& entry : kFileToolbar) ui::addToolButton(ToolBar1, *this, this, entry);
    SpeedButtonLink->setEnabled(false);
}

void TFormMain::wireCells() {
    for (TCellEdit* cell : cells_) {
        formatToolbar_->AttachCell(cell);
        ui::connectGuarded(
            cell, &QWidget::customContextMenuRequested, this,
            [this, cell](const QPoint& at) { editMenu_->ShowFor(cell, cell->mapToGlobal(at)); });
        ui::connectGuarded(
            cell, &TCellEdit::pasteCharactersDropped, this, [this](int refused, int overLimit) {
                StatusBar1->showMessage(TStatusNote::PasteDropNote(refused, overLimit));
            });
    }
}

void TFormMain::setTabOrder() {
    QList<QWidget*> order{static_cast<QWidget*>(styleStrip_->ComboBoxTableBorderWidth),
                          static_cast<QWidget*>(styleStrip_->CheckBoxBorderSet),
                          static_cast<QWidget*>(styleStrip_->ComboBoxSpacing)};
    order += titleBar_->FocusOrder();
    order += rowsArea_->FocusOrder();
    order += noteBar_->FocusOrder();
    for (int i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
}

TCellEdit* TFormMain::FocusedCell() const {
    QWidget* focused = focusWidget();
    for (TCellEdit* cell : cells_)
        if (cell == focused) return cell;
    return nullptr;
}

TCellEdit* TFormMain::CellByTag(int tag) const {
    if (!quorvel::IsCellTag(tag)) return nullptr;
    return cells_[tag - quorvel::kTitleTag];
}

void TFormMain::FormCreate(const QStringList& arguments) {
    LoadSettings();
    ui::PlaceStoredOnScreen(*this);
    normalPlacement_ = new ui::NormalPlacement(*this);
    applyStayOnTop();
    for (const QString& argument : arguments)
        if (QFileInfo::exists(argument)) startFiles_ << argument;
}

void TFormMain::OpenStartWork() {
    // Work a dead editor left behind is offered first, over the window now on the screen.
    if (!TRecoveryOffer::Begin(*recovery_, *document_, *statusNote_, *this, startFiles_))
        document_->OpenFirstOf(startFiles_);
}

void TFormMain::AttachWindows(std::function<TAboutForm&()> about, TLinkForm* link,
                              std::function<TNewVerForm&()> notice) {
    about_ = std::move(about);
    link_ = link;
    editMenu_->SetLinkForm(link);
    versionCheck_->SetNotice(std::move(notice));
}

void TFormMain::SpeedButtonStayOnTopClick() {
    applyStayOnTop();
}

void TFormMain::applyStayOnTop() {
    const bool onTop = SpeedButtonStayOnTop->isChecked();
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) return;
    const Qt::WindowFlags flags = windowFlags().setFlag(Qt::WindowStaysOnTopHint, onTop);
    if (QWindow* native = windowHandle()) {
        // Told to the window that exists: recreating it would move it and tear down the
        // preview's web view with it.
        overrideWindowFlags(flags);
        native->setFlags(flags);
        return;
    }
    // Not shown yet: the flag goes with the window when it is made. Positions are the frame's.
    const QPoint framePosition = pos();
    const QSize clientSize = size();
    const bool placed = testAttribute(Qt::WA_Moved);
    setWindowFlags(flags);
    if (placed) move(framePosition);
    resize(clientSize);
}

void TFormMain::closeEvent(QCloseEvent* event) {
    bool canClose = false;
    RunGuarded(this, [&] { canClose = FormCloseQuery(); });
    if (canClose) {
        // Nothing may come back from the maker's site into a window that is going.
        CancelVersionCheck();
        // Saved or knowingly discarded: nothing is left to recover.
        recovery_->WorkSettled();
        event->accept();
    } else
        event->ignore();
}

const QString& TFormMain::CurrentFileName() const {
    return document_->CurrentFileName();
}

void TFormMain::SpeedButtonNewClick() {
    document_->New();
}

void TFormMain::SpeedButtonOpenClick() {
    document_->Open();
}

void TFormMain::SpeedButtonSaveClick() {
    document_->Save();
}

void TFormMain::SpeedButtonSaveAsClick() {
    document_->SaveAs();
}

bool TFormMain::FormCloseQuery() {
    if (!document_->QueryClose()) return false;
    SaveSettings();
    return true;
}

void TFormMain::FilesDropped(const QStringList& paths) {
    document_->OpenDropped(paths);
}

void TFormMain::LinkClick(QObject* sender) {
    const bool fromToolbar = sender && sender->objectName() == QStringLiteral("SpeedButtonLink");
    editMenu_->InsertLink(fromToolbar ? FocusedCell() : editMenu_->PopupCell());
}

void TFormMain::SpeedButtonHelpClick() {
    if (about_) dialogs().execModal(about_());
}

void TFormMain::StartVersionCheck(const std::string& host, std::function<bool()> isOnline) {
    versionCheck_->Start(host, std::move(isOnline));
}

void TFormMain::Timer1Timer() {
    versionCheck_->Timer1Timer();
}

void TFormMain::CancelVersionCheck() {
    versionCheck_->Cancel();
}

QTimer* TFormMain::Timer1() const {
    return versionCheck_->Timer1();
}

quorvel::update::TVersionCheck* TFormMain::VersionCheck() const {
    return versionCheck_->VersionCheck();
}

void TFormMain::SpeedButtonMergeClick() {
    editor::MergeWithChoices(sheet_, Checker()->Market(), this);
}

void TFormMain::SpeedButtonPreviewClick(QObject* sender) {
    previewCommand_->Run(sender && sender->objectName() == QStringLiteral("SpeedButtonPreview"));
}

void TFormMain::ShowCheckList() {
    previewCommand_->ShowCheckList();
}

void TFormMain::GoToCellText(int tag, int offset, int length) {
    previewCommand_->GoToCellText(tag, offset, length);
}

void TFormMain::LoadSettings() {
    if (!settings_) return;
    const auto stored = quorvel::ReadStoredSettings(*settings_);
    if (!stored) return;
    MoveResize(this, stored->Left, stored->Top, stored->Width, stored->Height);
    // After the geometry, which is then the one it goes back to when restored.
    if (stored->Maximized.value_or(false)) setWindowState(windowState() | Qt::WindowMaximized);
    storedPvLeft_ = stored->Pv_Left;
    storedPvTop_ = stored->Pv_Top;
    storedPvWidth_ = stored->Pv_Width;
    storedPvHeight_ = stored->Pv_Height;
    if (stored->PanelLeftWidth)
        rowsArea_->SetLeftColumnWidth(quorvel::ClampPanelLeftWidth(*stored->PanelLeftWidth));
    if (stored->SpeedButtonStayOnTop)
        SpeedButtonStayOnTop->setChecked(*stored->SpeedButtonStayOnTop);
    if (stored->SpeedButtonMultiple) SpeedButtonMulti->setChecked(*stored->SpeedButtonMultiple);
    if (stored->SpeedButtonAll) formatToolbar_->SetApplyToAll(*stored->SpeedButtonAll);
    for (int row = 1; row <= quorvel::kRowCount; ++row) {
        if (const auto& height = stored->K_Height[row - 1])
            rowsArea_->SetRowHeight(row, quorvel::ClampRowHeight(*height));
    }
    if (stored->KWk_Height) noteBar_->SetNoteHeight(quorvel::ClampNoteHeight(*stored->KWk_Height));
    QStringList recent;
    for (const std::string& path : stored->RecentFiles)
        recent << QFile::decodeName(QByteArray::fromStdString(path));
    recentFiles_->SetPaths(recent);
    // Taken by the check now and shown by the preview when it is made. The first check waits
    // for the window to be up, so nothing is checked here.
    if (stored->CheckMaxChars)
        Checker()->SetMaxChars(
            static_cast<std::size_t>(TPreviewCheckTab::ClampMaxChars(*stored->CheckMaxChars)));
    // A width the drop-down does not offer keeps the one it shows.
    if (stored->PhoneWidth && TPreviewPhoneTab::Offers(*stored->PhoneWidth))
        Checker()->SetPhoneWidth(*stored->PhoneWidth);
    rowsArea_->UpdateRowsScrollRange();
}

void TFormMain::SaveSettings() {
    if (!settings_) return;
    quorvel::SettingsSnapshot snapshot;
    // Maximised, the window is stored as it comes back when restored, and marked.
    const QRect frame = normalPlacement_ ? normalPlacement_->Placement() : QRect(pos(), size());
    snapshot.Left = frame.x();
    snapshot.Top = frame.y();
    snapshot.Width = frame.width();
    snapshot.Height = frame.height();
    snapshot.Maximized = isMaximized();
    // A preview never shown this session is made now, so that its stored state is written back
    // as the preview itself would keep it.
    TFormPreview* preview = Preview();
    snapshot.Pv_Left = preview->x();
    snapshot.Pv_Top = preview->y();
    snapshot.Pv_Width = preview->width();
    snapshot.Pv_Height = preview->height();
    snapshot.PanelLeftWidth = rowsArea_->LeftColumnWidth();
    snapshot.SpeedButtonStayOnTop = SpeedButtonStayOnTop->isChecked();
    snapshot.SpeedButtonMultiple = SpeedButtonMulti->isChecked();
    snapshot.SpeedButtonAll = formatToolbar_->ApplyToAll();
    if (link_) {
        snapshot.EditAddress = link_->AddressBytes();
        snapshot.EditSubject = link_->SubjectBytes();
    }
    for (int row = 1; row <= quorvel::kRowCount; ++row)
        snapshot.K_Height[row - 1] = rowsArea_->RowHeight(row);
    snapshot.KWk_Height = noteBar_->NoteHeight();
    for (const QString& path : recentFiles_->Paths()) {
        // A name the system's code page cannot hold could not be opened again from the store.
        const QByteArray bytes = QFile::encodeName(path);
        if (QFile::decodeName(bytes) == path) snapshot.RecentFiles.push_back(bytes.toStdString());
    }
    snapshot.CheckMaxChars = static_cast<int>(
        std::min<std::size_t>(Checker()->MaxChars(), std::numeric_limits<int>::max()));
    snapshot.PhoneWidth = preview->PhoneWidth();
    for (const auto& source : settingsSources_) source(snapshot);
    quorvel::WriteSettings(*settings_, snapshot);
}

void TFormMain::AddSettingsSource(std::function<void(quorvel::SettingsSnapshot&)> source) {
    settingsSources_.push_back(std::move(source));
}
