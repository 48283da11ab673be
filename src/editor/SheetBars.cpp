#include "editor/SheetBars.h"

#include <QCheckBox>
#include <QToolButton>
#include <QVariant>

#include <algorithm>

#include "editor/CellEdit.h"
#include "ui/Guarded.h"

namespace {

void frameAsBar(QFrame* bar, const QString& name) {
    bar->setObjectName(name);
    bar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->setLineWidth(1);
}

}  // namespace

TTitleBar::TTitleBar(quorvel::TDescriptionSheet& sheet, QWidget* parent) : QFrame(parent) {
    frameAsBar(this, QStringLiteral("PanelTop"));
    setFixedHeight(kHeight);
    panel_ = BuildCellPanel(
        this, {QStringLiteral("CheckBoxTytle"), QStringLiteral("タイトル"), &sheet.IncludeTitle,
               &sheet.Title, QStringLiteral("MemoTytle"), QStringLiteral("Panel9")});
    Panel9 = panel_.Label;
    CheckBoxTytle = panel_.Include;
    MemoTytle = panel_.Edit;
}

void TTitleBar::CheckBoxTytleClick() {
    panel_.IncludeClick();
}

void TTitleBar::ShowIncludeFlags() {
    panel_.ShowIncludeFlag();
}

void TTitleBar::ShowCells() {
    panel_.ShowCell();
}

QList<QWidget*> TTitleBar::FocusOrder() const {
    return {CheckBoxTytle, MemoTytle};
}

TNoteBar::TNoteBar(quorvel::TDescriptionSheet& sheet, QWidget* parent) : QFrame(parent) {
    frameAsBar(this, QStringLiteral("PanelBottom"));
    setFixedHeight(noteHeight_);
    // The height buttons have no glyphs of their own.
    panel_ = BuildCellPanel(
        this, {QStringLiteral("CheckBoxSearch"), QStringLiteral("枠外注記"), &sheet.IncludeNote,
               &sheet.Note, QStringLiteral("MemoKey"), QStringLiteral("Panel39"),
               QStringLiteral("SpeedButtonUW"), QStringLiteral("SpeedButtonDW"), QString(),
               QString(), QStringLiteral("Panel2")});
    Panel39 = panel_.Label;
    CheckBoxSearch = panel_.Include;
    Panel2 = panel_.HeightStrip;
    SpeedButtonUW = panel_.Grow;
    SpeedButtonDW = panel_.Shrink;
    MemoKey = panel_.Edit;
    for (QToolButton* button : {SpeedButtonUW, SpeedButtonDW})
        ui::connectGuarded(button, &QToolButton::clicked, this,
                           [this, button] { SpeedButtonUWClick(button); });
}

void TNoteBar::CheckBoxSearchClick() {
    panel_.IncludeClick();
}

void TNoteBar::ShowIncludeFlags() {
    panel_.ShowIncludeFlag();
}

void TNoteBar::ShowCells() {
    panel_.ShowCell();
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
