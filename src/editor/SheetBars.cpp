#include "editor/SheetBars.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVariant>

#include <algorithm>

#include "editor/CellEdit.h"
#include "ui/Controls.h"

namespace {

constexpr int kLabelPanelWidth = 82;

// The left block of a bar: an etched frame (lowered outside, raised inside).
QFrame* makeLabelPanel(QWidget* parent, const QString& name) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setMidLineWidth(0);
    panel->setFixedWidth(kLabelPanelWidth);
    return panel;
}

QCheckBox* makeIncludeBox(QWidget* parent, const QString& name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setChecked(true);
    return box;
}

void frameAsBar(QFrame* bar, const QString& name) {
    bar->setObjectName(name);
    bar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->setLineWidth(1);
}

}  // namespace

TTitleBar::TTitleBar(quorvel::TDescriptionSheet& sheet, QWidget* parent)
    : QFrame(parent), sheet_(sheet) {
    frameAsBar(this, QStringLiteral("PanelTop"));
    setFixedHeight(kHeight);

    Panel9 = makeLabelPanel(this, QStringLiteral("Panel9"));
    CheckBoxTytle =
        makeIncludeBox(Panel9, QStringLiteral("CheckBoxTytle"), QStringLiteral("タイトル"));
    auto* labelLayout = new QVBoxLayout(Panel9);
    labelLayout->setContentsMargins(3, 1, 2, 1);
    labelLayout->setSpacing(0);
    labelLayout->addWidget(CheckBoxTytle);
    labelLayout->addStretch(1);

    MemoTytle = new TCellEdit(sheet_.Title, this);
    MemoTytle->setObjectName(QStringLiteral("MemoTytle"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel9);
    layout->addWidget(MemoTytle, 1);

    setTabOrder(CheckBoxTytle, MemoTytle);
    connect(CheckBoxTytle, &QCheckBox::clicked, this, [this] { CheckBoxTytleClick(); });
}

void TTitleBar::CheckBoxTytleClick() {
    // An include flag is a presentation choice: the sheet does not become modified.
    sheet_.IncludeTitle = CheckBoxTytle->isChecked();
}

void TTitleBar::ShowIncludeFlags() {
    CheckBoxTytle->setChecked(sheet_.IncludeTitle);
}

void TTitleBar::ShowCells() {
    MemoTytle->ShowCellText();
    MemoTytle->ShowCellFormat();
}

QList<QWidget*> TTitleBar::FocusOrder() const {
    return {CheckBoxTytle, MemoTytle};
}

TNoteBar::TNoteBar(quorvel::TDescriptionSheet& sheet, QWidget* parent)
    : QFrame(parent), sheet_(sheet) {
    frameAsBar(this, QStringLiteral("PanelBottom"));
    setFixedHeight(noteHeight_);

    Panel39 = makeLabelPanel(this, QStringLiteral("Panel39"));
    CheckBoxSearch =
        makeIncludeBox(Panel39, QStringLiteral("CheckBoxSearch"), QStringLiteral("枠外注記"));

    Panel2 = new QFrame(Panel39);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(27);
    SpeedButtonUW =
        ui::makeSpeedButton(Panel2, QStringLiteral("SpeedButtonUW"), QString(), QString(), false);
    SpeedButtonDW =
        ui::makeSpeedButton(Panel2, QStringLiteral("SpeedButtonDW"), QString(), QString(), false);
    SpeedButtonUW->setProperty("Tag", 1);
    SpeedButtonDW->setProperty("Tag", -1);
    auto* stripLayout = new QHBoxLayout(Panel2);
    stripLayout->setContentsMargins(2, 2, 2, 3);
    stripLayout->setSpacing(0);
    stripLayout->addWidget(SpeedButtonUW);
    stripLayout->addWidget(SpeedButtonDW);
    stripLayout->addStretch(1);

    auto* labelLayout = new QVBoxLayout(Panel39);
    labelLayout->setContentsMargins(0, 0, 0, 0);
    labelLayout->setSpacing(0);
    auto* boxRow = new QHBoxLayout;
    boxRow->setContentsMargins(2, 0, 1, 0);
    boxRow->addWidget(CheckBoxSearch);
    labelLayout->addLayout(boxRow);
    labelLayout->addStretch(1);
    labelLayout->addWidget(Panel2);

    MemoKey = new TCellEdit(sheet_.Note, this);
    MemoKey->setObjectName(QStringLiteral("MemoKey"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel39);
    layout->addWidget(MemoKey, 1);

    setTabOrder(CheckBoxSearch, MemoKey);
    connect(CheckBoxSearch, &QCheckBox::clicked, this, [this] { CheckBoxSearchClick(); });
    for (QToolButton* button : {SpeedButtonUW, SpeedButtonDW})
        connect(button, &QToolButton::clicked, this,
                [this, button] { SpeedButtonUWClick(button); });
}

void TNoteBar::CheckBoxSearchClick() {
    sheet_.IncludeNote = CheckBoxSearch->isChecked();
}

void TNoteBar::ShowIncludeFlags() {
    CheckBoxSearch->setChecked(sheet_.IncludeNote);
}

void TNoteBar::ShowCells() {
    MemoKey->ShowCellText();
    MemoKey->ShowCellFormat();
}

QList<QWidget*> TNoteBar::FocusOrder() const {
    return {CheckBoxSearch, MemoKey};
}

void TNoteBar::SetNoteHeight(int height) {
    const int held = std::clamp(height, kMinHeight, kMaxHeight);
    if (held == noteHeight_) return;
    noteHeight_ = held;
    setFixedHeight(noteHeight_);
    emit noteHeightChanged(noteHeight_);
}

void TNoteBar::SpeedButtonUWClick(const QObject* button) {
    if (!button) return;
    const int tag = button->property("Tag").toInt();
    if (tag != 1 && tag != -1) return;
    SetNoteHeight(noteHeight_ + kHeightStep * tag);
}
