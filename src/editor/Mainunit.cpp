#include "editor/Mainunit.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "dialogs/Preview.h"
#include "editor/CellEdit.h"
#include "editor/CellHint.h"
#include "editor/FormatToolbar.h"
#include "editor/RowsArea.h"
#include "editor/SheetBars.h"
#include "editor/StyleStrip.h"
#include "net/HttpClient.h"
#include "ui/Controls.h"
#include "ui/ErrorBox.h"
#include "ui/Placement.h"
#include "update/VersionCheck.h"

namespace {

// The file toolbar, left to right; an empty name is a separator.
struct ToolButtonEntry {
    const char* name;
    const char* hint;
    const char* glyph;
    bool toggle;
    int width;
    QToolButton* TFormMain::*member;
};

const ToolButtonEntry kFileToolbar[] = {
    {"SpeedButtonNew", "新規作成|編集中の内容を破棄して新規に作成", "new", false, 23,
     &TFormMain::SpeedButtonNew},
    {"SpeedButtonOpen", "開く|保存しているデータを読み込み編集", "open", false, 23,
     &TFormMain::SpeedButtonOpen},
    {"SpeedButtonSave", "上書き保存|編集中データを現在のファイル名で上書き保存", "save", false, 23,
     &TFormMain::SpeedButtonSave},
    {"SpeedButtonSaveAs", "名前を付けて保存|編集中データに名前をつけてファイル保存", "saveas",
     false, 23, &TFormMain::SpeedButtonSaveAs},
    {"", nullptr, nullptr, false, 0, nullptr},
    {"SpeedButtonPreview", "プレビュー|プレビューを表示／HTMLタグ内容コピー", "preview", false, 19,
     &TFormMain::SpeedButtonPreview},
    {"SpeedButtonTagCopy", "タグコピー|プレビューなしタグコピー", "tagcopy", false, 19,
     &TFormMain::SpeedButtonTagCopy},
    {"", nullptr, nullptr, false, 0, nullptr},
    {"SpeedButtonLink", "リンクタグ|リンクタグを挿入", "link", false, 23,
     &TFormMain::SpeedButtonLink},
    {"", nullptr, nullptr, false, 0, nullptr},
    {"SpeedButtonStayOnTop", "最前面表示|他のｱﾌﾟﾘｹｰｼｮﾝよりも前面で実行", "stayontop", true, 23,
     &TFormMain::SpeedButtonStayOnTop},
    {"SpeedButtonMulti", "多重起動許可（次回起動から有効）|複数起動を許可", "multi", true, 23,
     &TFormMain::SpeedButtonMulti},
    {"", nullptr, nullptr, false, 0, nullptr},
    {"SpeedButtonHelp", "バージョン情報", "help", false, 23, &TFormMain::SpeedButtonHelp},
};

QToolBar* makeToolBar(QMainWindow* window, const QString& name) {
    auto* bar = new QToolBar(window);
    bar->setObjectName(name);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setFixedHeight(30);
    bar->setIconSize(QSize(16, 16));
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    window->addToolBar(Qt::TopToolBarArea, bar);
    return bar;
}

}  // namespace

TFormMain::TFormMain(quorvel::KeyStore* settings, bool otherInstanceRunning, QWidget* parent)
    : QMainWindow(parent), settings_(settings), otherInstanceRunning_(otherInstanceRunning) {
    setObjectName(QStringLiteral("FormMain"));
    resize(414, 432);
    setAcceptDrops(true);

    buildFileToolbar();
    addToolBarBreak();
    formatToolbar_ = new TFormatToolbar(
        sheet_, [this](int tag) { return CellByTag(tag); }, [this] { return FocusedCell(); },
        SpeedButtonLink, this);
    addToolBar(Qt::TopToolBarArea, formatToolbar_);

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    styleStrip_ = new TStyleStrip(sheet_.Style, central);
    titleBar_ = new TTitleBar(sheet_, central);
    rowsArea_ = new TRowsArea(sheet_, central);
    noteBar_ = new TNoteBar(sheet_, central);
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

    cells_[0] = titleBar_->MemoTytle;
    for (int tag : quorvel::TDescriptionSheet::ApplyToAllTags())
        cells_[tag - quorvel::kTitleTag] = rowsArea_->Cell(tag);
    cells_[quorvel::kCellCount - 1] = noteBar_->MemoKey;

    buildPopupMenu();
    wireCells();
    setTabOrder();

    preview_ = new TFormPreview(this);
    sheet_.ResetSheet();
    showWholeSheet();
    showTitle();
    cellHint_ = new TCellHint(this);
    qApp->installEventFilter(cellHint_);

    buildVersionCheck();
    styleStrip_->ComboBoxTableBorderWidth->setFocus(Qt::OtherFocusReason);
}

TFormMain::~TFormMain() {
    if (timer1_) timer1_->stop();
    // The preview window goes before the rest of the main window.
    delete preview_;
    preview_ = nullptr;
    if (cellHint_) qApp->removeEventFilter(cellHint_);
}

void TFormMain::buildFileToolbar() {
    ToolBar1 = makeToolBar(this, QStringLiteral("ToolBar1"));
    for (const ToolButtonEntry& entry : kFileToolbar) {
        if (!entry.member) {
            ToolBar1->addSeparator();
            continue;
        }
        QToolButton* button = ui::makeSpeedButton(
            ToolBar1, QString::fromUtf8(entry.name), QString::fromUtf8(entry.hint),
            QString::fromUtf8(entry.glyph), entry.toggle, entry.width, 22);
        ToolBar1->addWidget(button);
        this->*entry.member = button;
    }
    SpeedButtonLink->setEnabled(false);

    const auto on = [this](QToolButton* button, auto handler) {
        connect(button, &QToolButton::clicked, this,
                [this, handler] { RunGuarded(this, [this, handler] { (this->*handler)(); }); });
    };
    on(SpeedButtonNew, &TFormMain::SpeedButtonNewClick);
    on(SpeedButtonOpen, &TFormMain::SpeedButtonOpenClick);
    on(SpeedButtonSave, &TFormMain::SpeedButtonSaveClick);
    on(SpeedButtonSaveAs, &TFormMain::SpeedButtonSaveAsClick);
    on(SpeedButtonStayOnTop, &TFormMain::SpeedButtonStayOnTopClick);
    on(SpeedButtonHelp, &TFormMain::SpeedButtonHelpClick);
    for (QToolButton* button : {SpeedButtonPreview, SpeedButtonTagCopy, SpeedButtonLink}) {
        connect(button, &QToolButton::clicked, this, [this, button] {
            RunGuarded(this, [this, button] {
                if (button == SpeedButtonLink)
                    LinkClick(button);
                else
                    SpeedButtonPreviewClick(button);
            });
        });
    }
}

void TFormMain::wireCells() {
    for (TCellEdit* cell : cells_) {
        formatToolbar_->AttachCell(cell);
        connect(cell, &QWidget::customContextMenuRequested, this, [this, cell](const QPoint& at) {
            PopupMenu1Popup(cell);
            PopupMenu1->exec(cell->mapToGlobal(at));
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
    placeOnScreen(this);
    placeOnScreen(preview_);
    applyStayOnTop();
    for (const QString& argument : arguments) {
        if (!QFileInfo::exists(argument)) continue;
        if (!loadFrom(argument)) continue;
        currentFileName_ = argument;
        showTitle();
        break;
    }
}

void TFormMain::AttachWindows(TAboutForm* about, TLinkForm* link, TNewVerForm* notice) {
    about_ = about;
    link_ = link;
    notice_ = notice;
}

void TFormMain::placeOnScreen(QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect placed = ui::KeptOnScreen(QRect(window->pos(), window->size()), screen->size());
    window->move(placed.topLeft());
}

void TFormMain::SpeedButtonStayOnTopClick() {
    applyStayOnTop();
}

void TFormMain::applyStayOnTop() {
    const bool onTop = SpeedButtonStayOnTop->isChecked();
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) return;
    const QRect frame = geometry();
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    setGeometry(frame);
    if (wasVisible) show();
}

void TFormMain::closeEvent(QCloseEvent* event) {
    bool canClose = false;
    RunGuarded(this, [&] { canClose = FormCloseQuery(); });
    if (canClose)
        event->accept();
    else
        event->ignore();
}

void TFormMain::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TFormMain::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    event->acceptProposedAction();
    RunGuarded(this, [&] { FilesDropped(paths); });
}
