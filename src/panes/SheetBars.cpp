#include "panes/SheetBars.h"

#include <QCheckBox>
#include <QToolButton>
#include <QVariant>

#include <algorithm>

#include "panes/CellEdit.h"
#include "ui/Guarded.h"

TCellBar::TCellBar(const QString& name, QWidget* parent) : QFrame(parent) {
    setObjectName(name);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
}

void TCellBar::ShowIncludeFlags() {
    panel_.ShowIncludeFlag();
}

void TCellBar::ShowCells() {
    panel_.ShowCell();
}

QList<QWidget*> TCellBar::FocusOrder() const {
    return {panel_.Include, panel_.Edit};
}

QList<TCellEdit*> TCellBar::Cells() const {
    return {panel_.Edit};
}

TTitleBar::TTitleBar(TSheetDocument& document, QWidget* parent)
    : TCellBar(QStringLiteral("PanelTop"), parent) {
    setFixedHeight(kHeight);
    panel_ =
        BuildCellPanel(this, document,
                       {QStringLiteral("CheckBoxTytle"), QStringLiteral("タイトル"),
                        quorvel::kTitleTag, QStringLiteral("MemoTytle"), QStringLiteral("Panel9")});
    Panel9 = panel_.Label;
    CheckBoxTytle = panel_.Include;
    MemoTytle = panel_.Edit;
}

void TTitleBar::CheckBoxTytleClick() {
    panel_.IncludeClick();
}

TNoteBar::TNoteBar(TSheetDocument& document, QWidget* parent)
    : TCellBar(QStringLiteral("PanelBottom"), parent) {
    setFixedHeight(noteHeight_);
    // The height buttons have no glyphs of their own.
    panel_ = BuildCellPanel(
        this, document,
        {QStringLiteral("CheckBoxSearch"), QStringLiteral("枠外注記"), quorvel::kNoteTag,
         QStringLiteral("MemoKey"), QStringLiteral("Panel39"), QStringLiteral("SpeedButtonUW"),
         QStringLiteral("SpeedButtonDW"), QString(), QString(), QStringLiteral("Panel2")});
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
