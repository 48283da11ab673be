#pragma once

#include <QObject>
#include <QString>

#include <string>

#include "sheet/DescriptionSheet.h"

class QTextEdit;
class QUndoStack;
class TSheetStep;
namespace quorvel {
struct Design;
}

// The only way to change the sheet. Every change is a small command pushed on the sheet's one
// history; the command changes the sheet and the document reports what changed, so the panes and
// every follower (the recovery copy, the listing check, the window title) listen here. The sheet
// counts as changed while its history stands away from the point where it was last saved.
class TSheetDocument : public QObject {
    Q_OBJECT
  public:
    static constexpr int kHistoryLimit = 1000;

    enum class Change { CellText, CellFormat, Include, TableStyle, WholeSheet };
    Q_ENUM(Change)
    // One field of a cell's format; the three style flags go together, as their buttons do.
    enum class FormatField { FontColor, FontSize, Style, BackColor, HAlign, VAlign };
    enum class StyleField {
        TableAlign,
        BorderWidth,
        BorderColorSet,
        BorderColor,
        CellPadding,
        BannerAlign
    };
    // How a cell box's text step came about; it names the step.
    enum class TextKind { Typing, Paste, Cut, Delete, Link, Picture };

    explicit TSheetDocument(quorvel::TDescriptionSheet& sheet, QObject* parent = nullptr);
    ~TSheetDocument() override;

    const quorvel::TDescriptionSheet& Sheet() const { return sheet_; }
    QUndoStack* History() const { return history_; }
    bool IsModified() const;

    // The commands. `focusTag` is the cell the user worked in: an undo goes back to it.
    void SetCellFormat(int focusTag, FormatField field, const quorvel::TCellFormat& value,
                       bool applyToAll);
    void SetIncluded(int tag, bool included);
    void SetTableStyle(StyleField field, const quorvel::TTableStyle& value);
    // Every cell's format and the table style from `design`, named `name`: one step, texts kept.
    // (Made in DesignCommand.cpp with the step.)
    void ApplyDesign(const quorvel::Design& design, const QString& name, int focusTag);
    // A cell box's own edit, already in the box: the cell's bytes are now `bytes`. `box` holds
    // the box's undo steps; `boxSteps` is how many it has now, so an edit the box merged into
    // its last step joins the sheet's last step as well.
    void CellTextEdited(int tag, std::string bytes, QTextEdit* box, int boxSteps, TextKind kind);
    // Reset, loaded or restored: a new history. `unsaved` work (restored) has no clean point.
    void ReplaceSheet(quorvel::TDescriptionSheet sheet, bool unsaved);
    // Written to its file under `fileName`; with `clean`, this state is the saved one.
    void MarkSaved(const QString& fileName, bool clean);
    void FileNameChanged(const QString& fileName) { emit fileNameChanged(fileName); }
    // A report for followers alone: look at the cell again (nothing was changed here).
    void CellTextChanged(int tag) { emit changed(Change::CellText, tag); }

    void Undo();
    void Redo();
    // True while an undo or redo replays a box's own step: the box must not report it.
    bool Replaying() const { return replaying_; }
    // The user's name of a cell ("タイトル", "項目３", ...).
    static QString CellCaption(int tag);

  signals:
    // `tag` is the cell for the cell changes and 0 for the table style and the whole sheet.
    void changed(TSheetDocument::Change what, int tag);
    void saved(const QString& fileName);
    void fileNameChanged(const QString& fileName);
    void modifiedChanged(bool modified);
    // After an undo or redo: the kind of step and the cell the user had worked in (0: none).
    void stepReplayed(TSheetDocument::Change what, int tag);
    // Ends every box's open typing step except the box of `keepTag`: its next edit makes a step
    // of its own.
    void typingSealed(int keepTag);

  private:
    friend class TSheetStep;
    friend class TCellTextStep;
    friend class TIncludeStep;

    void push(TSheetStep* step, int keepTypingTag = 0);
    void replay(bool undo);
    quorvel::TDescriptionSheet& sheet_;
    QUndoStack* history_;
    bool replaying_ = false;
};
