#include "panes/CellPanel.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVariant>

#include "panes/CellEdit.h"
#include "ui/Controls.h"
#include "ui/Guarded.h"

namespace {

QCheckBox* makeIncludeBox(QWidget* parent, const CellPanelPlan& plan) {
    auto* box = new QCheckBox(plan.caption, parent);
    box->setObjectName(plan.includeName);
    box->setChecked(true);
    // The cell the box includes, for whoever reports its clicks as changes of the sheet.
    box->setProperty("Tag", plan.tag);
    return box;
}

void makeHeightButtons(QWidget* parent, const CellPanelPlan& plan, TCellPanel& built) {
    built.Grow = ui::makeSpeedButton(parent, plan.growName, QString(), plan.growGlyph, false);
    built.Shrink = ui::makeSpeedButton(parent, plan.shrinkName, QString(), plan.shrinkGlyph, false);
    built.Grow->setProperty("Tag", 1);
    built.Shrink->setProperty("Tag", -1);
}

// A bar's block: an etched frame (lowered outside, raised inside), the box at the top and the
// height strip at the foot.
void buildBarLabel(QWidget* owner, const CellPanelPlan& plan, TCellPanel& built) {
    auto* label = new QFrame(owner);
    label->setObjectName(plan.labelName);
    label->setFrameStyle(QFrame::Box | QFrame::Sunken);
    label->setLineWidth(1);
    label->setMidLineWidth(0);
    label->setFixedWidth(kLabelPanelWidth);
    built.Label = label;
    built.Include = makeIncludeBox(label, plan);
    auto* column = new QVBoxLayout(label);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* boxRow = new QHBoxLayout;
    if (plan.growName.isEmpty())
        boxRow->setContentsMargins(3, 1, 2, 1);
    else
        boxRow->setContentsMargins(2, 0, 1, 0);
    boxRow->addWidget(built.Include);
    column->addLayout(boxRow);
    column->addStretch(1);
    if (plan.growName.isEmpty()) return;

    built.HeightStrip = new QFrame(label);
    built.HeightStrip->setObjectName(plan.stripName);
    built.HeightStrip->setFixedHeight(27);
    makeHeightButtons(built.HeightStrip, plan, built);
    auto* strip = new QHBoxLayout(built.HeightStrip);
    strip->setContentsMargins(2, 2, 2, 3);
    strip->setSpacing(0);
    strip->addWidget(built.Grow);
    strip->addWidget(built.Shrink);
    strip->addStretch(1);
    column->addWidget(built.HeightStrip);
}

// A row's block: placed by hand, since a 45-pixel row has no room for a layout's margins.
void buildRowLabel(QWidget* owner, const CellPanelPlan& plan, TCellPanel& built) {
    built.Label = new QWidget(owner);
    built.Label->setFixedWidth(kLabelPanelWidth);
    built.Include = makeIncludeBox(built.Label, plan);
    built.Include->setGeometry(3, 1, kLabelPanelWidth - 6, 19);
    if (plan.growName.isEmpty()) return;
    makeHeightButtons(built.Label, plan, built);
    built.Grow->move(3, 20);
    built.Shrink->move(26, 20);
}

}  // namespace

TCellPanel BuildCellPanel(QFrame* panel, TSheetDocument& document, const CellPanelPlan& plan) {
    TCellPanel built;
    built.Document = &document;
    built.Tag = plan.tag;
    if (plan.labelName.isEmpty())
        buildRowLabel(panel, plan, built);
    else
        buildBarLabel(panel, plan, built);
    built.Edit = new TCellEdit(document, plan.tag, panel);
    built.Edit->setObjectName(plan.cellName);
    // The box is named after the caption beside it, so a screen reader says which cell it is.
    built.Edit->setAccessibleName(plan.caption);
    built.Include->setAccessibleName(plan.caption);

    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(built.Label);
    layout->addWidget(built.Edit, 1);

    QWidget::setTabOrder(built.Include, built.Edit);
    ui::connectGuarded(built.Include, &QCheckBox::clicked, panel,
                       [built] { built.IncludeClick(); });
    QObject::connect(&document, &TSheetDocument::changed, built.Include,
                     [built](TSheetDocument::Change what, int tag) {
                         if (what == TSheetDocument::Change::WholeSheet ||
                             (what == TSheetDocument::Change::Include && tag == built.Tag))
                             built.ShowIncludeFlag();
                     });
    built.ShowIncludeFlag();
    return built;
}

void TCellPanel::IncludeClick() const {
    Document->SetIncluded(Tag, Include->isChecked());
    // A click the document did not take (nothing changed) must not leave the box showing it.
    ShowIncludeFlag();
}

void TCellPanel::ShowIncludeFlag() const {
    Include->setChecked(Document->Sheet().IncludedByTag(Tag));
}

void TCellPanel::ShowCell() const {
    Edit->ShowCellText();
    Edit->ShowCellFormat();
}
