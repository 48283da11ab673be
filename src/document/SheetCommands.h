#pragma once

#include <QPointer>
#include <QTextEdit>
#include <QUndoCommand>

#include <string>

#include "document/SheetDocument.h"

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

// Where a field step's value lives: a cell's format (by the cell's tag) or the table style.
struct TCellFormatPlace {
    using Value = quorvel::TCellFormat;
    using Field = TSheetDocument::FormatField;
    static constexpr TSheetDocument::Change kChange = TSheetDocument::Change::CellFormat;
    static constexpr int kIdBase = 100;
    template <class Sheet>
    static auto& In(Sheet& sheet, int tag) {
        return sheet.CellByTag(tag).Format;
    }
    static QString FieldName(Field field);
    static QString StepName(Field field, int tag);
    static void Copy(Field field, const Value& from, Value& to);
};

struct TTableStylePlace {
    using Value = quorvel::TTableStyle;
    using Field = TSheetDocument::StyleField;
    static constexpr TSheetDocument::Change kChange = TSheetDocument::Change::TableStyle;
    static constexpr int kIdBase = 200;
    template <class Sheet>
    static auto& In(Sheet& sheet, int) {
        return sheet.Style;
    }
    static QString StepName(Field field, int tag);
    static void Copy(Field field, const Value& from, Value& to);
};

// One field of a value the sheet holds changes (tag 0 for the table style). The same field of
// the same place changed again in a row merges into one step; a part of apply-to-all never does.
template <class Place>
class TFieldStep : public TSheetStep {
  public:
    using Value = typename Place::Value;
    using Field = typename Place::Field;

    TFieldStep(TSheetDocument& document, int tag, Field field, const Value& value,
               QUndoCommand* parent = nullptr);

    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;
    void redo() override { show(new_); }
    void undo() override { show(old_); }
    bool ChangesSheet() const override { return new_ != old_; }

  private:
    void show(const Value& value);

    int tag_;
    Field field_;
    bool part_;  // one cell of apply-to-all
    Value old_;
    Value new_;
};

using TCellFormatStep = TFieldStep<TCellFormatPlace>;
using TTableStyleStep = TFieldStep<TTableStylePlace>;

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
