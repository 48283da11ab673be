#include "panes/StyleStrip.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QToolButton>

#include <algorithm>

#include "ui/AlignmentGroup.h"
#include "ui/Controls.h"
#include "ui/DialogSeam.h"
#include "ui/ErrorBox.h"
#include "ui/Guarded.h"
#include "ui/StyleMiniature.h"

using quorvel::TColor;

namespace {

constexpr int kStripHeight = 79;
constexpr int kGroupTop = 4;
constexpr int kGroupHeight = 45;
constexpr int kContentWidth = 411 + 90;
constexpr int kContentHeight = kGroupTop + kGroupHeight;
constexpr int kListItems = 10;  // "0" to "9"
constexpr TColor kGrey = 0x00808080;

// Left edge of a shape of width `width` aligned inside the page at `pageLeft`, `pageWidth`; an
// unknown alignment leaves it where it is.
int AlignedLeft(int code, int pageLeft, int pageWidth, int width, int current) {
    switch (code) {
        case quorvel::kAlignLeft:
            return pageLeft + 1;
        case quorvel::kAlignCenter:
            return pageLeft + pageWidth / 2 - width / 2;
        case quorvel::kAlignRight:
            return pageLeft + pageWidth - width - 1;
        default:
            return current;
    }
}

QComboBox* MakeNumberList(QWidget* parent, const QString& name, int left) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setEditable(false);
    for (int i = 0; i < kListItems; ++i) list->addItem(QString::number(i));
    list->setFocusPolicy(Qt::StrongFocus);
    list->setGeometry(left, 17, 36, 22);
    return list;
}

QGroupBox* MakeGroup(QWidget* parent, const QString& name, const QString& caption, int left,
                     int width) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(name);
    group->setGeometry(left, kGroupTop, width, kGroupHeight);
    return group;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(5, 20, 26, 16);
    return label;
}

struct AlignButtonEntry {
    const char* name;
    const char* hint;
    const char* glyph;
};

const AlignButtonEntry kTableAlignButtons[] = {
    {"SpeedButtonTableAlignLeft", "左揃え|表全体を左揃え", "table_left"},
    {"SpeedButtonTableAlignCenter", "中央揃え|表全体を中央揃え", "table_center"},
    {"SpeedButtonTableAlignRight", "右揃え|表全体を右揃え", "table_right"},
};

const AlignButtonEntry kBannerAlignButtons[] = {
    {"SpeedButtonBannerLeft", "左揃え|広告リンク表示位置を左揃え", "banner_left"},
    {"SpeedButtonBannerCenter", "中央揃え|広告リンク表示位置を中央揃え", "banner_center"},
    {"SpeedButtonBannerRight", "右揃え|広告リンク表示位置を右揃え", "banner_right"},
};

// Three exclusive toggle buttons in a row inside `group`, from `left`.
ui::AlignmentGroup makeAlignGroup(QGroupBox* group, QButtonGroup* exclusive,
                                  const AlignButtonEntry (&entries)[3], int left) {
    std::array<QToolButton*, 3> buttons{};
    exclusive->setExclusive(true);
    for (int i = 0; i < 3; ++i) {
        buttons[i] = ui::makeSpeedButton(group, QString::fromUtf8(entries[i].name),
                                         QString::fromUtf8(entries[i].hint),
                                         QString::fromUtf8(entries[i].glyph), true);
        buttons[i]->move(left + 24 * i, 17);
        exclusive->addButton(buttons[i]);
    }
    return ui::AlignmentGroup(buttons,
                              {quorvel::kAlignLeft, quorvel::kAlignCenter, quorvel::kAlignRight});
}

}  // namespace

TStyleStrip::TStyleStrip(TSheetDocument& document, QWidget* parent)
    : QScrollArea(parent), document_(document) {
    setObjectName(QStringLiteral("ScrollBox2"));
    setFrameShape(QFrame::NoFrame);
    setFixedHeight(kStripHeight);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(true);

    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("ScrollBox2Content"));
    content->setMinimumSize(kContentWidth, kContentHeight);
    buildMiniature(content);
    buildGroups(content);
    setWidget(content);

    ShowWholeStyle();
    connect(&document_, &TSheetDocument::changed, this, [this](TSheetDocument::Change what) {
        if (what == TSheetDocument::Change::TableStyle ||
            what == TSheetDocument::Change::WholeSheet)
            ShowWholeStyle();
    });
}

void TStyleStrip::buildMiniature(QWidget* content) {
    Panel1 = new QFrame(content);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::NoFrame);
    Panel1->setGeometry(0, 3, 102, 59);

    // Created back to front: later siblings paint over earlier ones.
    ShapeTableParent = new TShape(Panel1, QStringLiteral("ShapeTableParent"));
    ShapeTableParent->setGeometry(5, 0, 92, 59);
    ShapeTableParent->SetBrushColor(0x00FFFFFF);
    ShapeTableParent->SetPenColor(0x00000000);
    ui::applyHint(ShapeTableParent,
                  QStringLiteral("簡易プレビュー|表がどのように配置されるか簡易的に確認"));

    ShapeTableBorderColor = new TShape(Panel1, QStringLiteral("ShapeTableBorderColor"));
    ShapeTableBorderColor->setGeometry(18, 5, 66, 37);
    ShapeTableBorderColor->SetBrushColor(kGrey);
    ShapeTableBorderColor->SetBrushStyle(Qt::DiagCrossPattern);
    ui::applyHint(ShapeTableBorderColor, QStringLiteral("表"));

    ShapeSpacing = new TShape(Panel1, QStringLiteral("ShapeSpacing"));
    ShapeSpacing->setGeometry(19, 6, 29, 11);
    ShapeSpacing->SetBrushColor(0x00008000);
    ShapeSpacing->SetPenColor(0x00000000);
    ui::applyHint(ShapeSpacing, QStringLiteral("文字列"));

    ShapeBanner = new TShape(Panel1, QStringLiteral("ShapeBanner"));
    ShapeBanner->setGeometry(6, 45, 52, 7);
    ShapeBanner->SetBrushColor(0x000000FF);
    ShapeBanner->SetBrushStyle(Qt::BDiagPattern);
    ShapeBanner->SetPenColor(0x000000FF);
    ui::applyHint(ShapeBanner, QStringLiteral("広告バナー"));
}

void TStyleStrip::buildGroups(QWidget* content) {
    GroupBox1 =
        MakeGroup(content, QStringLiteral("GroupBox1"), QStringLiteral("表の水平揃え"), 102, 83);
    tableAlign_ = makeAlignGroup(GroupBox1, new QButtonGroup(this), kTableAlignButtons, 6);
    SpeedButtonTableAlignLeft = tableAlign_.Buttons()[0];
    SpeedButtonTableAlignCenter = tableAlign_.Buttons()[1];
    SpeedButtonTableAlignRight = tableAlign_.Buttons()[2];
    for (QToolButton* button : tableAlign_.Buttons())
        ui::connectGuarded(button, &QToolButton::clicked, this,
                           [this, button] { tableAlignClick(button); });

    GroupBox2 =
        MakeGroup(content, QStringLiteral("GroupBox2"), QStringLiteral("表の枠線"), 187, 150);
    LabelBorderWidth =
        MakeLabel(GroupBox2, QStringLiteral("LabelBorderWidth"), QStringLiteral("太さ"));
    ComboBoxTableBorderWidth =
        MakeNumberList(GroupBox2, QStringLiteral("ComboBoxTableBorderWidth"), 31);
    LabelBorderWidth->setBuddy(ComboBoxTableBorderWidth);
    CheckBoxBorderSet = new QCheckBox(QStringLiteral("色指定"), GroupBox2);
    CheckBoxBorderSet->setObjectName(QStringLiteral("CheckBoxBorderSet"));
    CheckBoxBorderSet->setGeometry(70, 19, 56, 18);
    ui::applyHint(CheckBoxBorderSet, QStringLiteral("枠線色指定|"));
    CheckBoxBorderSet->setToolTip(QString());  // its tool tip is switched off
    SpeedButtonBorderColor =
        ui::makeSpeedButton(GroupBox2, QStringLiteral("SpeedButtonBorderColor"),
                            QStringLiteral("枠線色選択"), QStringLiteral("border_colour"), false);
    SpeedButtonBorderColor->move(126, 17);
    ui::connectGuarded(ComboBoxTableBorderWidth, &QComboBox::currentIndexChanged, this,
                       [this] { ComboBoxTableBorderWidthChange(); });
    ui::connectGuarded(CheckBoxBorderSet, &QCheckBox::clicked, this,
                       [this] { CheckBoxBorderSetClick(); });
    ui::connectGuarded(SpeedButtonBorderColor, &QToolButton::clicked, this,
                       [this] { SpeedButtonBorderColorClick(); });

    GroupBox3 =
        MakeGroup(content, QStringLiteral("GroupBox3"), QStringLiteral("セル内部"), 339, 70);
    LabelSpacing = MakeLabel(GroupBox3, QStringLiteral("LabelSpacing"), QStringLiteral("余白"));
    ComboBoxSpacing = MakeNumberList(GroupBox3, QStringLiteral("ComboBoxSpacing"), 31);
    LabelSpacing->setBuddy(ComboBoxSpacing);
    ui::connectGuarded(ComboBoxSpacing, &QComboBox::currentIndexChanged, this,
                       [this] { ComboBoxSpacingChange(); });

    GroupBox4 =
        MakeGroup(content, QStringLiteral("GroupBox4"), QStringLiteral("広告水平揃え"), 411, 90);
    bannerAlign_ = makeAlignGroup(GroupBox4, new QButtonGroup(this), kBannerAlignButtons, 8);
    SpeedButtonBannerLeft = bannerAlign_.Buttons()[0];
    SpeedButtonBannerCenter = bannerAlign_.Buttons()[1];
    SpeedButtonBannerRight = bannerAlign_.Buttons()[2];
    for (QToolButton* button : bannerAlign_.Buttons())
        ui::connectGuarded(button, &QToolButton::clicked, this,
                           [this, button] { bannerAlignClick(button); });
}

void TStyleStrip::set(TSheetDocument::StyleField field,
                      const std::function<void(quorvel::TTableStyle&)>& edit) {
    quorvel::TTableStyle value = style();
    edit(value);
    const bool changes = value != style();
    document_.SetTableStyle(field, value);
    // A command that changed nothing puts the controls back as the style has them.
    if (!changes) showStyle(false);
}

void TStyleStrip::tableAlignClick(QToolButton* button) {
    const int code = tableAlign_.CodeOf(button, style().TableAlign);
    set(TSheetDocument::StyleField::TableAlign, [code](auto& style) { style.TableAlign = code; });
}

void TStyleStrip::bannerAlignClick(QToolButton* button) {
    const int code = bannerAlign_.CodeOf(button, style().BannerAlign);
    set(TSheetDocument::StyleField::BannerAlign, [code](auto& style) { style.BannerAlign = code; });
}

void TStyleStrip::SpeedButtonTableAlignLeftClick() {
    tableAlignClick(SpeedButtonTableAlignLeft);
}

void TStyleStrip::SpeedButtonTableAlignCenterClick() {
    tableAlignClick(SpeedButtonTableAlignCenter);
}

void TStyleStrip::SpeedButtonTableAlignRightClick() {
    tableAlignClick(SpeedButtonTableAlignRight);
}

void TStyleStrip::SpeedButtonBannerLeftClick() {
    bannerAlignClick(SpeedButtonBannerLeft);
}

void TStyleStrip::SpeedButtonBannerCenterClick() {
    bannerAlignClick(SpeedButtonBannerCenter);
}

void TStyleStrip::SpeedButtonBannerRightClick() {
    bannerAlignClick(SpeedButtonBannerRight);
}

void TStyleStrip::ComboBoxTableBorderWidthChange() {
    bool ok = false;
    int width = ComboBoxTableBorderWidth->currentText().trimmed().toInt(&ok, 10);
    if (!ok) width = std::max(ComboBoxTableBorderWidth->currentIndex(), 0);
    width = std::clamp(width, 0, 10);
    set(TSheetDocument::StyleField::BorderWidth,
        [width](auto& style) { style.BorderWidth = width; });
}

void TStyleStrip::CheckBoxBorderSetClick() {
    const bool on = CheckBoxBorderSet->isChecked();
    set(TSheetDocument::StyleField::BorderColorSet,
        [on](auto& style) { style.BorderColorSet = on; });
}

void TStyleStrip::SpeedButtonBorderColorClick() {
    if (!style().BorderColorSet) return;
    RunGuarded(this, [this] {
        const auto picked = dialogs().chooseColour(this, style().BorderColor);
        if (!picked) return;
        const TColor colour = *picked;
        set(TSheetDocument::StyleField::BorderColor,
            [colour](auto& style) { style.BorderColor = colour; });
    });
}

void TStyleStrip::ComboBoxSpacingChange() {
    const int padding = std::max(ComboBoxSpacing->currentIndex(), 0);
    set(TSheetDocument::StyleField::CellPadding,
        [padding](auto& style) { style.CellPadding = padding; });
}

void TStyleStrip::UpdateStylePreview() {
    const int pageLeft = ShapeTableParent->x();
    const int pageWidth = ShapeTableParent->width();

    QRect table = ShapeTableBorderColor->geometry();
    table.moveLeft(AlignedLeft(style().TableAlign, pageLeft, pageWidth, table.width(), table.x()));
    ShapeTableBorderColor->move(table.topLeft());

    const int inset =
        ShapeTableBorderColor->OutlineWidth() + std::max(ComboBoxSpacing->currentIndex(), 0);
    ShapeSpacing->move(table.x() + inset, table.y() + inset);

    const QRect banner = ShapeBanner->geometry();
    ShapeBanner->move(
        AlignedLeft(style().BannerAlign, pageLeft, pageWidth, banner.width(), banner.x()),
        banner.y());
}

void TStyleStrip::ShowWholeStyle() {
    showStyle(true);
}

void TStyleStrip::showStyle(bool announce) {
    const quorvel::TTableStyle& shown = style();
    // An alignment code outside the three leaves the buttons as they are.
    if (QToolButton* button = tableAlign_.ButtonOf(shown.TableAlign)) button->setChecked(true);
    if (QToolButton* button = bannerAlign_.ButtonOf(shown.BannerAlign)) button->setChecked(true);
    {
        const QSignalBlocker blocker(ComboBoxTableBorderWidth);
        ComboBoxTableBorderWidth->setCurrentIndex(std::clamp(shown.BorderWidth, 0, kListItems - 1));
    }
    const int width = std::clamp(shown.BorderWidth, 0, 10);
    ShapeTableBorderColor->SetPenWidth(width);
    ShapeTableBorderColor->SetPenVisible(width != 0);
    CheckBoxBorderSet->setChecked(shown.BorderColorSet);
    SpeedButtonBorderColor->setEnabled(shown.BorderColorSet);
    ShapeTableBorderColor->SetPenColor(shown.BorderColorSet ? shown.BorderColor : kGrey);
    {
        const QSignalBlocker blocker(ComboBoxSpacing);
        ComboBoxSpacing->setCurrentIndex(std::clamp(shown.CellPadding, 0, kListItems - 1));
    }
    UpdateStylePreview();
    if (announce) emit styleChanged();
}
