#pragma once

#include <QPointer>
#include <QTextEdit>
#include <QUndoCommand>

#include <string>

#include "editor/SheetDocument.h"

// The commands the sheet's history holds. Each changes the sheet through its document and
// reports the change there; undo puts back exactly what it found.
class TSheetStep : public QUndoCommand {
  public:
    TSheetStep(TSheetDocument& document, TSheetDocument::Change kind, int focusTag,
               const QString& name, QUndoCommand* parent = nullptr);

    TSheetDocument::Change Kind() const { return kind_; }
    // The cell the user worked in (0 for the table style).
    int FocusTag() const { return focusTag_; }
    // False for a step that would leave the sheet as it is: it is not kept.
    virtual bool ChangesSheet() const { return true; }

  protected:
    quorvel::TDescriptionSheet& sheet() { return document_.sheet_; }
    void report(int tag) { emit document_.changed(kind_, tag); }

    TSheetDocument& document_;

  private:
    TSheetDocument::Change kind_;
    int focusTag_;
};

// One undo step of a cell box: the box replays it from its own history, and the cell gets back the
// very bytes it had (a loaded cell's bytes may differ from what the box would write).
class TCellTextStep : public TSheetStep {
  public:
    TCellTextStep(TSheetDocument& document, int tag, std::string before, std::string after,
                  QTextEdit* box, int boxStep, TSheetDocument::TextKind kind);

    // True when the box's edit belongs to this step (the box merged it into its last step).
    bool Continues(int tag, const QTextEdit* box, int boxStep) const;
    void Extend(std::string after) { after_ = std::move(after); }
    void redo() override;
    void undo() override;

  private:
    void show(const std::string& bytes);

    int tag_;
    std::string before_;
    std::string after_;
    QPointer<QTextEdit> box_;
    int boxStep_;
    bool done_ = true;  // pushed after the box made the edit: the first redo only writes the cell
};

// One field of one cell's format. Changes of the same field of the same cell made one after the
// other merge into one step.
class TCellFormatStep : public TSheetStep {
  public:
    TCellFormatStep(TSheetDocument& document, int tag, TSheetDocument::FormatField field,
                    const quorvel::TCellFormat& value, QUndoCommand* parent = nullptr);

    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;
    void redo() override;
    void undo() override;
    bool ChangesSheet() const override { return new_ != old_; }

    static QString FieldName(TSheetDocument::FormatField field);
    static void CopyField(TSheetDocument::FormatField field, const quorvel::TCellFormat& from,
                          quorvel::TCellFormat& to);

  private:
    int tag_;
    TSheetDocument::FormatField field_;
    bool part_;  // one cell of apply-to-all
    quorvel::TCellFormat old_;
    quorvel::TCellFormat new_;
};

// Apply-to-all: the focused cell and the twenty row cells as one step.
class TApplyToAllStep : public TSheetStep {
  public:
    TApplyToAllStep(TSheetDocument& document, int focusTag, TSheetDocument::FormatField field,
                    const quorvel::TCellFormat& value);
    bool ChangesSheet() const override;
};

class TIncludeStep : public TSheetStep {
  public:
    TIncludeStep(TSheetDocument& document, int tag, bool included);
    void redo() override;
    void undo() override;
    bool ChangesSheet() const override { return included_ != was_; }

  private:
    int tag_;
    bool included_;
    bool was_;
};

// One field of the table style; the same field changed again in a row merges.
class TTableStyleStep : public TSheetStep {
  public:
    TTableStyleStep(TSheetDocument& document, TSheetDocument::StyleField field,
                    const quorvel::TTableStyle& value);
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;
    void redo() override;
    void undo() override;
    bool ChangesSheet() const override { return new_ != old_; }

  private:
    TSheetDocument::StyleField field_;
    quorvel::TTableStyle old_;
    quorvel::TTableStyle new_;
};
