#pragma once

#include <QTextEdit>

#include "sheet/DescriptionSheet.h"

// The text box of one sheet cell. The sheet holds the truth: the box shows the cell's text, and
// only the user's own edits are written back (as code page 932 with CR LF) and mark the cell
// modified. Input that would pass the cell's byte limit, or that code page 932 cannot hold,
// never gets in.
class TCellEdit : public QTextEdit {
    Q_OBJECT
  public:
    TCellEdit(quorvel::TSheetCell& cell, QWidget* parent = nullptr);

    int Tag() const { return cell_.Tag; }
    quorvel::TSheetCell& Cell() { return cell_; }

    // Shows the cell's text as set by the program (reset, load): not an edit, undo cleared.
    void ShowCellText();
    // Shows the cell's format: colours, size, style and horizontal alignment.
    void ShowCellFormat();
    // Replaces the selection as pasted text would, within the byte limit. Returns false when
    // nothing could be inserted.
    bool InsertLikePaste(const QString& text);
    // Bytes still free for replacing the current selection.
    int RemainingBytes() const;
    // One-step undo: undoes the last edit; a second call takes the undo back.
    void UndoOnce();
    bool CanUndo() const;
    void ClearUndo();

  signals:
    void cellEntered(TCellEdit* cell);
    void cellLeft(TCellEdit* cell);
    void cellEdited(TCellEdit* cell);

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

  private:
    // The part of text that fits in max bytes, without characters code page 932 cannot hold.
    static QString admissible(const QString& text, int maxBytes);
    void takeUserEdit();

    quorvel::TSheetCell& cell_;
    bool settingText_ = false;
    bool undoing_ = false;
    bool lastWasUndo_ = false;
};
