#include "document/DesignCommand.h"

#include <algorithm>

namespace {

// One cell's whole format, a part of the design step.
class TCellLookStep : public TSheetStep {
  public:
    TCellLookStep(TSheetDocument& document, int tag, const quorvel::TCellFormat& format,
                  QUndoCommand* parent)
        : TSheetStep(document, TSheetDocument::Change::CellFormat, tag, QString(), parent),
          tag_(tag),
          old_(document.Sheet().CellByTag(tag).Format),
          new_(format) {}
    void redo() override { show(new_); }
    void undo() override { show(old_); }
    bool ChangesSheet() const override { return old_ != new_; }

  private:
    void show(const quorvel::TCellFormat& format) {
        sheet().CellByTag(tag_).Format = format;
        report(tag_);
    }
    int tag_;
    quorvel::TCellFormat old_, new_;
};

// The whole table style, a part of the design step.
class TStyleLookStep : public TSheetStep {
  public:
    TStyleLookStep(TSheetDocument& document, const quorvel::TTableStyle& style,
                   QUndoCommand* parent)
        : TSheetStep(document, TSheetDocument::Change::TableStyle, 0, QString(), parent),
          old_(document.Sheet().Style),
          new_(style) {}
    void redo() override { show(new_); }
    void undo() override { show(old_); }
    bool ChangesSheet() const override { return old_ != new_; }

  private:
    void show(const quorvel::TTableStyle& style) {
        sheet().Style = style;
        report(0);
    }
    quorvel::TTableStyle old_, new_;
};

}  // namespace

TDesignStep::TDesignStep(TSheetDocument& document, int focusTag, const quorvel::Design& design,
                         const QString& designName)
    : TSheetStep(document, TSheetDocument::Change::CellFormat, focusTag,
                 QStringLiteral("デザイン「") + designName + QStringLiteral("」の適用")),
      changes_(false) {
    for (int index = 0; index < quorvel::kCellCount; ++index) {
        auto* part =
            new TCellLookStep(document, quorvel::kTitleTag + index, design.Formats[index], this);
        changes_ = changes_ || part->ChangesSheet();
    }
    // The style strip's lists offer 0 to 9 only, as for a loaded sheet.
    quorvel::TTableStyle style = design.Style;
    style.BorderWidth = std::clamp(style.BorderWidth, 0, 9);
    style.CellPadding = std::clamp(style.CellPadding, 0, 9);
    auto* part = new TStyleLookStep(document, style, this);
    changes_ = changes_ || part->ChangesSheet();
}

void TSheetDocument::ApplyDesign(const quorvel::Design& design, const QString& name, int focusTag) {
    push(new TDesignStep(*this, quorvel::IsCellTag(focusTag) ? focusTag : 0, design, name));
}
