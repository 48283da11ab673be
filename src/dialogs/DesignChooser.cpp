#include "dialogs/DesignChooser.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>

#include <algorithm>

#include "dialogs/DesignThumbnails.h"
#include "document/SheetDocument.h"
#include "platform/FileNames.h"
#include "sheet/BuiltinDesigns.h"
#include "store/DesignStore.h"
#include "ui/DialogSeam.h"
#include "ui/Guarded.h"
#include "ui/Placement.h"

namespace {

const QString kCaption = QStringLiteral("デザイン");
constexpr int kEntryRole = Qt::UserRole;

QPushButton* addButton(QBoxLayout* column, QWidget* parent, const char* name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setAutoDefault(false);
    column->addWidget(button);
    return button;
}

QString quoted(const std::string& name) {
    return QStringLiteral("「") + QString::fromStdString(name) + QStringLiteral("」");
}

}  // namespace

TDesignNameForm::TDesignNameForm(const QString& caption, const QString& initial, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("DesignNameForm"));
    setWindowTitle(caption);
    auto* column = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("デザインの名前："), this);
    column->addWidget(label);
    EditDesignName = new QLineEdit(initial, this);
    EditDesignName->setObjectName(QStringLiteral("EditDesignName"));
    EditDesignName->setMaxLength(static_cast<int>(quorvel::kDesignNameMaxChars) + 20);
    EditDesignName->selectAll();
    column->addWidget(EditDesignName);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    ButtonOK = new QPushButton(QStringLiteral("OK"), this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    ButtonCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    buttons->addWidget(ButtonOK);
    buttons->addWidget(ButtonCancel);
    column->addLayout(buttons);
    ui::connectGuarded(ButtonOK, &QPushButton::clicked, this, [this] { accept(); });
    ui::connectGuarded(ButtonCancel, &QPushButton::clicked, this, [this] { reject(); });
    resize(320, sizeHint().height());
}

TDesignChooser::TDesignChooser(TSheetDocument& document, quorvel::DesignStore& store,
                               NewSheetIn newSheetIn, int focusTag, QWidget* parent)
    : QDialog(parent),
      document_(document),
      store_(store),
      newSheetIn_(std::move(newSheetIn)),
      focusTag_(focusTag),
      thumbnails_(new TDesignThumbnails(this)) {
    setObjectName(QStringLiteral("DesignChooserForm"));
    setWindowTitle(kCaption);

    auto* row = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    ListDesigns = new QListWidget(this);
    ListDesigns->setObjectName(QStringLiteral("ListDesigns"));
    ListDesigns->setViewMode(QListView::IconMode);
    ListDesigns->setMovement(QListView::Static);
    ListDesigns->setResizeMode(QListView::Adjust);
    ListDesigns->setIconSize(TDesignThumbnails::Size());
    ListDesigns->setGridSize(TDesignThumbnails::Size() + QSize(16, 36));
    ListDesigns->setWordWrap(true);
    // One column of designs at the least, so the window fits a small screen; two where there
    // is room (below).
    const int listColumn = TDesignThumbnails::Size().width() + 16;
    ListDesigns->setMinimumSize(listColumn + 24, 240);
    left->addWidget(ListDesigns, 1);
    // However many files the folder leaves out, their list scrolls within a few lines, so the
    // window stays on the screen with its buttons.
    ScrollProblems = new QScrollArea(this);
    ScrollProblems->setObjectName(QStringLiteral("ScrollProblems"));
    ScrollProblems->setWidgetResizable(true);
    ScrollProblems->setFrameShape(QFrame::NoFrame);
    LabelProblems = new QLabel(ScrollProblems);
    LabelProblems->setObjectName(QStringLiteral("LabelProblems"));
    LabelProblems->setWordWrap(true);
    LabelProblems->setTextFormat(Qt::PlainText);
    LabelProblems->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LabelProblems->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollProblems->setWidget(LabelProblems);
    ScrollProblems->setMaximumHeight(fontMetrics().lineSpacing() * 7 + 4);
    // As wide as the list above: a long name wraps rather than widening the window.
    ScrollProblems->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    ScrollProblems->hide();
    left->addWidget(ScrollProblems);
    row->addLayout(left, 1);

    auto* column = new QVBoxLayout;
    ButtonApply = addButton(column, this, "ButtonApply", QStringLiteral("適用"));
    ButtonApply->setToolTip(
        QStringLiteral("いまのシートの書式をこのデザインにします（文章はそのまま）"));
    ButtonNewSheet =
        addButton(column, this, "ButtonNewSheet", QStringLiteral("新しいシートで使う"));
    column->addSpacing(12);
    ButtonSaveCurrent =
        addButton(column, this, "ButtonSaveCurrent", QStringLiteral("現在の書式を保存…"));
    ButtonRename = addButton(column, this, "ButtonRename", QStringLiteral("名前の変更…"));
    ButtonDelete = addButton(column, this, "ButtonDelete", QStringLiteral("削除"));
    column->addStretch(1);
    ButtonClose = addButton(column, this, "ButtonClose", QStringLiteral("閉じる"));
    row->addLayout(column);

    ui::connectGuarded(ButtonApply, &QPushButton::clicked, this, [this] { ButtonApplyClick(); });
    ui::connectGuarded(ButtonNewSheet, &QPushButton::clicked, this,
                       [this] { ButtonNewSheetClick(); });
    ui::connectGuarded(ButtonSaveCurrent, &QPushButton::clicked, this,
                       [this] { ButtonSaveCurrentClick(); });
    ui::connectGuarded(ButtonRename, &QPushButton::clicked, this, [this] { ButtonRenameClick(); });
    ui::connectGuarded(ButtonDelete, &QPushButton::clicked, this, [this] { ButtonDeleteClick(); });
    ui::connectGuarded(ButtonClose, &QPushButton::clicked, this, [this] { reject(); });
    ui::connectGuarded(ListDesigns, &QListWidget::currentRowChanged, this,
                       [this] { showSelection(); });
    // A double click is the short way: choose and apply.
    ui::connectGuarded(ListDesigns, &QListWidget::itemActivated, this,
                       [this] { ButtonApplyClick(); });
    connect(thumbnails_, &TDesignThumbnails::drawn, this, [this](int index, const QImage& image) {
        if (QListWidgetItem* item = ListDesigns->item(index))
            item->setIcon(QIcon(QPixmap::fromImage(image)));
    });
    reload({});
    const QSize list = ListDesigns->sizeHint();
    resize(ui::FittedToScreen(sizeHint() + QSize(std::max(0, 2 * listColumn + 24 - list.width()),
                                                 std::max(0, 380 - list.height()))));
}

TDesignChooser::~TDesignChooser() = default;

void TDesignChooser::reload(const std::string& select) {
    entries_.clear();
    for (const quorvel::NamedDesign& builtin : quorvel::BuiltinDesigns())
        entries_.push_back({builtin.name, builtin.design, {}});
    const quorvel::DesignStore::Listing listing = store_.List();
    for (const auto& own : listing.designs)
        entries_.push_back({own.name, own.design, own.fileName});

    // Every file left out is named with its reason, under the folder it is in.
    QStringList problems;
    if (!listing.folderProblem.empty()) {
        problems << QString::fromStdString(listing.folderProblem);
    } else if (!listing.problems.empty()) {
        problems << QString::fromUtf8(quorvel::kDesignFolderName) + QLatin1Char(' ') +
                        QString::fromStdString(quorvel::filenames::ToUtf8(store_.Folder())) +
                        QStringLiteral(" の読み込めなかったファイル");
        for (const auto& problem : listing.problems)
            problems << QString::fromStdString(quorvel::filenames::ToUtf8(problem.fileName)) +
                            QStringLiteral("：") + QString::fromStdString(problem.message);
    }
    LabelProblems->setText(problems.join(QLatin1Char('\n')));
    ScrollProblems->setVisible(!problems.isEmpty());

    // The swatches show at once; the pictures follow as they are drawn.
    ListDesigns->clear();
    std::vector<quorvel::Design> designs;
    const qreal ratio = devicePixelRatioF();
    for (const Entry& entry : entries_) {
        auto* item = new QListWidgetItem(
            QIcon(QPixmap::fromImage(TDesignThumbnails::Swatch(entry.design, ratio))),
            QString::fromStdString(entry.name), ListDesigns);
        item->setData(kEntryRole, static_cast<int>(designs.size()));
        if (!entry.fileName.empty()) item->setToolTip(QStringLiteral("保存したデザイン"));
        designs.push_back(entry.design);
    }
    thumbnails_->Draw(std::move(designs), ratio);
    if (!select.empty()) Select(select);
    if (ListDesigns->currentRow() < 0) ListDesigns->setCurrentRow(0);
    showSelection();
}

bool TDesignChooser::Select(const std::string& name) {
    for (int index = static_cast<int>(entries_.size()) - 1; index >= 0; --index) {
        if (entries_[index].name != name) continue;
        ListDesigns->setCurrentRow(index);
        return true;
    }
    return false;
}

QStringList TDesignChooser::Names() const {
    QStringList names;
    for (const Entry& entry : entries_) names << QString::fromStdString(entry.name);
    return names;
}

const TDesignChooser::Entry* TDesignChooser::current() const {
    const int row = ListDesigns->currentRow();
    if (row < 0 || row >= static_cast<int>(entries_.size())) return nullptr;
    return &entries_[row];
}

void TDesignChooser::showSelection() {
    const Entry* entry = current();
    ButtonApply->setEnabled(entry != nullptr);
    ButtonNewSheet->setEnabled(entry != nullptr);
    // The built-in designs are the program's: only the seller's own can be renamed or deleted.
    const bool own = entry && !entry->fileName.empty();
    ButtonRename->setEnabled(own);
    ButtonDelete->setEnabled(own);
}

void TDesignChooser::ButtonApplyClick() {
    const Entry* entry = current();
    if (!entry) return;
    document_.ApplyDesign(entry->design, QString::fromStdString(entry->name), focusTag_);
    accept();
}

void TDesignChooser::ButtonNewSheetClick() {
    const Entry* entry = current();
    if (!entry || !newSheetIn_) return;
    const quorvel::Design design = entry->design;
    if (newSheetIn_(design)) accept();
}

std::optional<std::string> TDesignChooser::askName(const QString& caption, const QString& initial) {
    TDesignNameForm form(caption, initial, this);
    if (dialogs().execModal(form) != QDialog::Accepted) return std::nullopt;
    const auto check = quorvel::DesignStore::CheckName(form.EditDesignName->text().toStdString());
    if (!check.ok()) {
        showWarning(this, QString::fromStdString(check.problem), caption);
        return std::nullopt;
    }
    return check.name;
}

bool TDesignChooser::mayWrite(const std::string& name, const std::string& ownFile) {
    if (!store_.Exists(name)) return true;
    if (!ownFile.empty() && quorvel::DesignStore::CheckName(name).fileName == ownFile) return true;
    const auto answer = dialogs().message(this,
                                          QStringLiteral("デザイン") + quoted(name) +
                                              QStringLiteral("はすでにあります。置き換えますか？"),
                                          QStringLiteral("確認"), QMessageBox::Question,
                                          QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return answer == QMessageBox::Yes;
}

void TDesignChooser::ButtonSaveCurrentClick() {
    const QString caption = QStringLiteral("現在の書式を保存");
    const auto name = askName(caption, QString());
    if (!name || !mayWrite(*name, {})) return;
    if (const auto error = store_.Save(*name, quorvel::DesignOf(document_.Sheet()))) {
        showFileError(this, *error);
        return;
    }
    reload(*name);
}

void TDesignChooser::ButtonRenameClick() {
    const Entry* entry = current();
    if (!entry || entry->fileName.empty()) return;
    const std::string fileName = entry->fileName;
    const auto name =
        askName(QStringLiteral("デザイン名の変更"), QString::fromStdString(entry->name));
    if (!name || !mayWrite(*name, fileName)) return;
    if (const auto error = store_.Rename(fileName, *name)) {
        showFileError(this, *error);
        return;
    }
    reload(*name);
}

void TDesignChooser::ButtonDeleteClick() {
    const Entry* entry = current();
    if (!entry || entry->fileName.empty()) return;
    const auto answer = dialogs().message(
        this, QStringLiteral("デザイン") + quoted(entry->name) + QStringLiteral("を削除しますか？"),
        QStringLiteral("確認"), QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
        QMessageBox::No);
    if (answer != QMessageBox::Yes) return;
    if (const auto error = store_.Delete(entry->fileName)) {
        showFileError(this, *error);
        return;
    }
    reload({});
}
