#pragma once

#include <QToolBar>

#include <functional>

#include "document/SheetDocument.h"
#include "sheet/DescriptionSheet.h"
#include "ui/AlignmentGroup.h"

class QToolButton;
class TCellEdit;

// The format toolbar: it shows the format of the cell that has the keyboard focus and changes
// that cell's format, and with apply-to-all down the twenty row cells' as well, each click one
// command on the sheet's document. The sheet holds the truth; the toolbar keeps no state of its
// own except the apply-to-all toggle.
//
// The main window passes every cell box to AttachCell, which connects the box's enter and leave
// signals; the buttons' clicks are connected here.
class TFormatToolbar : public QToolBar {
    Q_OBJECT
  public:
    using FocusedCellBox = std::function<TCellEdit*()>;

    // linkButton lives on the other toolbar; it is only enabled and disabled here.
    TFormatToolbar(TSheetDocument& document, FocusedCellBox focusedCell, QToolButton* linkButton,
                   QWidget* parent = nullptr);

    // Follows the box's focus: cellEntered runs CellEntered, cellLeft runs CellLeft. A box that
    // gets the focus with its window's activation while no cell is shown (the first cell at
    // start) is entered as well.
    void AttachCell(TCellEdit* box);

    void CellEntered(TCellEdit* box);
    void CellLeft();

    bool ApplyToAll() const;
    void SetApplyToAll(bool on);

    // The commands. The buttons' clicks run them after Qt has toggled a checkable button, so a
    // direct call acts as if the buttons' present states were the result of a click.
    void SpeedButtonFontColorClick();
    void SpeedButtonFontSizeUpClick();
    void SpeedButtonFontSizeDownClick();
    // Shared by bold, italic and underline: copies the three buttons' states as one set.
    void SpeedButtonBoldClick();
    void SpeedButtonBackColorClick();
    void SpeedButtonLeftClick();
    void SpeedButtonCenterClick();
    void SpeedButtonRightClick();
    void SpeedButtonVTopClick();
    void SpeedButtonVCenterClick();
    void SpeedButtonVBottomClick();
    // Opens the design chooser, whichever cell has the focus or none.
    void SpeedButtonDesignClick();

    // The ladder of font sizes; a size off the ladder stays as it is.
    static int SizeStepUp(int points);
    static int SizeStepDown(int points);

    QToolButton* SpeedButtonAll = nullptr;
    QToolButton* SpeedButtonFontColor = nullptr;
    QToolButton* SpeedButtonFontSizeUp = nullptr;
    QToolButton* SpeedButtonFontSizeDown = nullptr;
    QToolButton* SpeedButtonBold = nullptr;
    QToolButton* SpeedButtonItalic = nullptr;
    QToolButton* SpeedButtonUnder = nullptr;
    QToolButton* SpeedButtonBackColor = nullptr;
    QToolButton* SpeedButtonLeft = nullptr;
    QToolButton* SpeedButtonCenter = nullptr;
    QToolButton* SpeedButtonRight = nullptr;
    QToolButton* SpeedButtonVTop = nullptr;
    QToolButton* SpeedButtonVCenter = nullptr;
    QToolButton* SpeedButtonVBottom = nullptr;
    QToolButton* SpeedButtonDesign = nullptr;

  signals:
    // After a command changed the format of one or more cells.
    void formatChanged();
    // The design button was clicked: the window owns what the chooser works on.
    void designRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Sets one field on the focused cell and, with apply-to-all down, on the row cells: one step.
    void applyFormat(TCellEdit* focused, TSheetDocument::FormatField field,
                     const std::function<void(quorvel::TCellFormat&)>& set);
    void chooseColour(quorvel::TColor quorvel::TCellFormat::*field, bool noteAllowed);
    void setHAlign(QToolButton* clicked);
    void setVAlign(QToolButton* clicked);

    TSheetDocument& document_;
    FocusedCellBox focusedCell_;
    QToolButton* linkButton_ = nullptr;
    ui::AlignmentGroup hAlign_;
    ui::AlignmentGroup vAlign_;
};
