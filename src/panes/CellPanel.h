#pragma once

#include <QString>

#include "document/SheetDocument.h"
#include "sheet/DescriptionSheet.h"

class QCheckBox;
class QFrame;
class QToolButton;
class QWidget;
class TCellEdit;

// The width of the label block left of every cell box.
inline constexpr int kLabelPanelWidth = 82;

// What one cell panel shows. A bar's label block is an etched frame named `labelName` with the
// height buttons in a strip at its foot; a row's (no `labelName`) is plain, with the buttons
// under the include box. Without `growName` there are no height buttons.
struct CellPanelPlan {
    QString includeName = QString();
    QString caption = QString();
    int tag = 0;  // the cell, and the include flag the box edits
    QString cellName = QString();
    QString labelName = QString();
    QString growName = QString();
    QString shrinkName = QString();
    QString growGlyph = QString();
    QString shrinkGlyph = QString();
    QString stripName = QString();
};

// A built panel: the label block, its include box and height buttons, and the cell's box.
struct TCellPanel {
    QWidget* Label = nullptr;
    QCheckBox* Include = nullptr;
    QFrame* HeightStrip = nullptr;
    QToolButton* Grow = nullptr;    // Tag +1
    QToolButton* Shrink = nullptr;  // Tag -1
    TCellEdit* Edit = nullptr;
    TSheetDocument* Document = nullptr;
    int Tag = 0;

    // The include box's click: a command on the document.
    void IncludeClick() const;
    // Brings the include box in line with the sheet; writes nothing.
    void ShowIncludeFlag() const;
    // Shows the cell's text and format as the sheet holds them.
    void ShowCell() const;
};

// Fills `panel` with the label block and the cell's box side by side. Clicking the include box
// sets the sheet's flag through `document`; the box shows the flag as the document reports it.
TCellPanel BuildCellPanel(QFrame* panel, TSheetDocument& document, const CellPanelPlan& plan);
