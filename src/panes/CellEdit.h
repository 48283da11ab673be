#pragma once

#include <QTextEdit>

#include <functional>
#include <string>

#include "document/SheetDocument.h"
#include "panes/CellEditMirror.h"
#include "sheet/DescriptionSheet.h"

// The text box of one sheet cell. The sheet holds the truth: the box shows the cell's text and
// format as its document reports them, and hands each of the user's own edits (as code page 932
// with CR LF) to the document, whose history replays the box's own undo steps. Input that would
// pass the cell's byte limit, or that no cell takes (control and private-use characters), never
// gets in; a character code page 932 cannot hold shows as itself and is a reference in the cell.
class TCellEdit : public QTextEdit {
    Q_OBJECT
  public:
    TCellEdit(TSheetDocument& document, int tag, QWidget* parent = nullptr);

    int Tag() const { return tag_; }
    const quorvel::TSheetCell& Cell() const { return sheetDocument_.Sheet().CellByTag(tag_); }

    // Shows the cell's text as set by the program (reset, load): not an edit, undo cleared.
    void ShowCellText();
    // Shows the cell's format: colours, size, style and horizontal alignment.
    void ShowCellFormat();
    // Replaces the selection as pasted text would, within the byte limit, leaving out what may
    // not enter a cell. Returns false when nothing could be inserted.
    bool InsertLikePaste(const QString& text);
    // Bytes still free for replacing the current selection.
    int RemainingBytes() const;
    // Runs `edit` on the box as one step of its own, named by `kind` in the sheet's history.
    void EditAs(TSheetDocument::TextKind kind, const std::function<void()>& edit);
    // The keys of the sheet's history, which the box must leave to the window.
    static bool IsHistoryKey(const QKeyEvent& event);

  signals:
    void cellEntered(TCellEdit* cell);
    void cellLeft(TCellEdit* cell);
    // A paste or a drop left out characters: `refused` ones the sheet cannot hold, and
    // `overLimit` ones past the cell's byte limit.
    void pasteCharactersDropped(int refused, int overLimit);

  protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    // Dragged files are the window's to open, never text for the cell.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

  private:
    struct Admitted {
        QString text;
        int refused = 0;    // characters the sheet cannot hold, left out
        int overLimit = 0;  // characters past the byte limit, left out
        int dropped() const { return refused + overLimit; }
    };
    // The part of input from outside that may enter the cell and fits in maxBytes: line breaks
    // as LF, Shift_JIS characters in their code page 932 form, without the characters
    // inputCharBytes refuses.
    static Admitted admissible(const QString& input, int maxBytes);
    // True when the box's own handling would insert the key's text.
    static bool insertsText(const QKeyEvent& event);
    QString boxText() const;
    QString boxTextBetween(int from, int to) const;
    void mirrorChange(int position, int removed, int added);
    void follow(TSheetDocument::Change what, int tag);
    void seal();

    TSheetDocument& sheetDocument_;
    int tag_;
    std::string bytes_;  // the cell's bytes as this box last wrote or showed them
    TCellEditMirror mirror_;
    bool settingText_ = false;
    int boxStep_ = 0;       // counts the box's own undo steps
    int reportedStep_ = 0;  // the last of them the sheet's history has
    TSheetDocument::TextKind kind_ = TSheetDocument::TextKind::Typing;
};
