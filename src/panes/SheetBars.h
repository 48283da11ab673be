#pragma once

#include <QFrame>
#include <QList>

#include "document/SheetDocument.h"
#include "panes/CellPanel.h"
#include "sheet/DescriptionSheet.h"

class QCheckBox;
class QToolButton;
class TCellEdit;

// A sunken bar above or below the rows that shows one cell panel.
class TCellBar : public QFrame {
    Q_OBJECT
  public:
    TCellBar(const QString& name, QWidget* parent);

    // Brings the include box in line with the sheet (after a reset or a load); writes nothing.
    void ShowIncludeFlags();
    // Shows the cell's text and format as the sheet holds them.
    void ShowCells();
    // The widgets that take the focus, in Tab order.
    QList<QWidget*> FocusOrder() const;
    QList<TCellEdit*> Cells() const;

  protected:
    TCellPanel panel_;
};

// The bar above the rows: the include box and the cell of the sheet's title.
class TTitleBar : public TCellBar {
    Q_OBJECT
  public:
    static constexpr int kHeight = 36;

    explicit TTitleBar(TSheetDocument& document, QWidget* parent = nullptr);

    void CheckBoxTytleClick();

    QWidget* Panel9 = nullptr;
    QCheckBox* CheckBoxTytle = nullptr;
    TCellEdit* MemoTytle = nullptr;
};

// The bar below the rows: the include box, the height buttons and the note cell. Its height is
// fixed at any moment, so in a vertical layout the rows area above gives up or takes what it
// gains or loses.
class TNoteBar : public TCellBar {
    Q_OBJECT
  public:
    static constexpr int kMinHeight = 64;
    static constexpr int kMaxHeight = 128;
    static constexpr int kHeightStep = 15;

    explicit TNoteBar(TSheetDocument& document, QWidget* parent = nullptr);

    // The bar's height; setting it holds it within 64 to 128 (stored settings may be anything).
    int NoteHeight() const { return noteHeight_; }
    void SetNoteHeight(int height);

    void CheckBoxSearchClick();
    // Serves SpeedButtonUW and SpeedButtonDW: one step of 15 pixels in the way of the button's
    // Tag (+1 or -1).
    void SpeedButtonUWClick(const QObject* button);

    QWidget* Panel39 = nullptr;
    QCheckBox* CheckBoxSearch = nullptr;
    QFrame* Panel2 = nullptr;
    QToolButton* SpeedButtonUW = nullptr;
    QToolButton* SpeedButtonDW = nullptr;
    TCellEdit* MemoKey = nullptr;

  signals:
    void noteHeightChanged(int height);

  private:
    int noteHeight_ = kMinHeight;
};
