#include "editor/SheetCommands.h"

namespace {

using Field = TSheetDocument::FormatField;
using StyleField = TSheetDocument::StyleField;
using TextKind = TSheetDocument::TextKind;

QString textStepName(TextKind kind) {
    switch (kind) {
        case TextKind::Paste:
            return QStringLiteral("貼り付け");
        case TextKind::Cut:
            return QStringLiteral("切り取り");
        case TextKind::Delete:
            return QStringLiteral("削除");
        case TextKind::Link:
            return QStringLiteral("リンクタグの挿入");
        case TextKind::Picture:
            return QStringLiteral("画像タグの挿入");
        case TextKind::Typing:
            break;
    }
    return QStringLiteral("入力");
}

QString styleFieldName(StyleField field) {
    switch (field) {
        case StyleField::TableAlign:
            return QStringLiteral("表の水平揃え");
        case StyleField::BorderWidth:
            return QStringLiteral("枠線の太さ");
        case StyleField::BorderColorSet:
            return QStringLiteral("枠線の色指定");
        case StyleField::BorderColor:
            return QStringLiteral("枠線色");
        case StyleField::CellPadding:
            return QStringLiteral("セル内部の余白");
        case StyleField::BannerAlign:
            break;
    }
    return QStringLiteral("広告水平揃え");
}

void copyStyleField(StyleField field, const quorvel::TTableStyle& from, quorvel::TTableStyle& to) {
    switch (field) {
        case StyleField::TableAlign:
            to.TableAlign = from.TableAlign;
            break;
        case StyleField::BorderWidth:
            to.BorderWidth = from.BorderWidth;
            break;
        case StyleField::BorderColorSet:
            to.BorderColorSet = from.BorderColorSet;
            break;
        case StyleField::BorderColor:
            to.BorderColor = from.BorderColor;
            break;
        case StyleField::CellPadding:
            to.CellPadding = from.CellPadding;
            break;
        case StyleField::BannerAlign:
            to.BannerAlign = from.BannerAlign;
            break;
    }
}

QString inCell(const QString& what, int tag) {
    return what + QStringLiteral("（") + TSheetDocument::CellCaption(tag) + QStringLiteral("）");
}

constexpr int kFormatIdBase = 100;
constexpr int kStyleIdBase = 200;

}  // namespace

TSheetStep::TSheetStep(TSheetDocument& document, TSheetDocument::Change kind, int focusTag,
                       const QString& name, QUndoCommand* parent)
    : QUndoCommand(name, parent), document_(document), kind_(kind), focusTag_(focusTag) {}

TCellTextStep::TCellTextStep(TSheetDocument& document, int tag, std::string before,
                             std::string after, QTextEdit* box, int boxStep, TextKind kind)
    : TSheetStep(document, TSheetDocument::Change::CellText, tag, inCell(textStepName(kind), tag)),
      tag_(tag),
      before_(std::move(before)),
      after_(std::move(after)),
      box_(box),
      boxStep_(boxStep) {}

bool TCellTextStep::Continues(int tag, const QTextEdit* box, int boxStep) const {
    return tag == tag_ && box == box_ && boxStep == boxStep_;
}

void TCellTextStep::show(const std::string& bytes) {
    quorvel::TSheetCell& cell = sheet().CellByTag(tag_);
    cell.Text = bytes;
    cell.Modified = true;
    report(tag_);
}

void TCellTextStep::redo() {
    if (!done_ && box_) box_->redo();
    done_ = false;
    show(after_);
}

void TCellTextStep::undo() {
    if (box_) box_->undo();
    show(before_);
}

TCellFormatStep::TCellFormatStep(TSheetDocument& document, int tag, Field field,
                                 const quorvel::TCellFormat& value, QUndoCommand* parent)
    : TSheetStep(document, TSheetDocument::Change::CellFormat, tag, inCell(FieldName(field), tag),
                 parent),
      tag_(tag),
      field_(field),
      part_(parent != nullptr),
      old_(document.Sheet().CellByTag(tag).Format),
      new_(old_) {
    CopyField(field, value, new_);
}

QString TCellFormatStep::FieldName(Field field) {
    switch (field) {
        case Field::FontColor:
            return QStringLiteral("フォント色");
        case Field::FontSize:
            return QStringLiteral("フォントサイズ");
        case Field::Style:
            return QStringLiteral("太字・斜体・下線");
        case Field::BackColor:
            return QStringLiteral("背景色");
        case Field::HAlign:
            return QStringLiteral("水平揃え");
        case Field::VAlign:
            break;
    }
    return QStringLiteral("垂直揃え");
}

void TCellFormatStep::CopyField(Field field, const quorvel::TCellFormat& from,
                                quorvel::TCellFormat& to) {
    switch (field) {
        case Field::FontColor:
            to.FontColor = from.FontColor;
            break;
        case Field::FontSize:
            to.FontSize = from.FontSize;
            break;
        case Field::Style:
            to.Bold = from.Bold;
            to.Italic = from.Italic;
            to.Underline = from.Underline;
            break;
        case Field::BackColor:
            to.BackColor = from.BackColor;
            break;
        case Field::HAlign:
            to.HAlign = from.HAlign;
            break;
        case Field::VAlign:
            to.VAlign = from.VAlign;
            break;
    }
}

// Only a step of its own merges: a part of apply-to-all never does.
int TCellFormatStep::id() const {
    return part_ ? -1 : kFormatIdBase + static_cast<int>(field_);
}

bool TCellFormatStep::mergeWith(const QUndoCommand* other) {
    const auto* next = dynamic_cast<const TCellFormatStep*>(other);
    if (!next || next->tag_ != tag_ || next->field_ != field_) return false;
    new_ = next->new_;
    setObsolete(new_ == old_);
    return true;
}

void TCellFormatStep::redo() {
    sheet().CellByTag(tag_).Format = new_;
    report(tag_);
}

void TCellFormatStep::undo() {
    sheet().CellByTag(tag_).Format = old_;
    report(tag_);
}

TApplyToAllStep::TApplyToAllStep(TSheetDocument& document, int focusTag, Field field,
                                 const quorvel::TCellFormat& value)
    : TSheetStep(document, TSheetDocument::Change::CellFormat, focusTag,
                 TCellFormatStep::FieldName(field) + QStringLiteral("（全セル）")) {
    // The focused cell first, then the row cells in the sheet's order; each cell once.
    new TCellFormatStep(document, focusTag, field, value, this);
    for (int tag : quorvel::TDescriptionSheet::ApplyToAllTags())
        if (tag != focusTag) new TCellFormatStep(document, tag, field, value, this);
}

bool TApplyToAllStep::ChangesSheet() const {
    for (int i = 0; i < childCount(); ++i)
        if (static_cast<const TSheetStep*>(child(i))->ChangesSheet()) return true;
    return false;
}

TIncludeStep::TIncludeStep(TSheetDocument& document, int tag, bool included)
    : TSheetStep(document, TSheetDocument::Change::Include, tag,
                 inCell(QStringLiteral("表示チェック"), tag)),
      tag_(tag),
      included_(included),
      was_(document.Sheet().IncludedByTag(tag)) {}

void TIncludeStep::redo() {
    sheet().IncludedByTag(tag_) = included_;
    report(tag_);
}

void TIncludeStep::undo() {
    sheet().IncludedByTag(tag_) = was_;
    report(tag_);
}

TTableStyleStep::TTableStyleStep(TSheetDocument& document, StyleField field,
                                 const quorvel::TTableStyle& value)
    : TSheetStep(document, TSheetDocument::Change::TableStyle, 0, styleFieldName(field)),
      field_(field),
      old_(document.Sheet().Style),
      new_(old_) {
    copyStyleField(field, value, new_);
}

int TTableStyleStep::id() const {
    return kStyleIdBase + static_cast<int>(field_);
}

bool TTableStyleStep::mergeWith(const QUndoCommand* other) {
    const auto* next = dynamic_cast<const TTableStyleStep*>(other);
    if (!next || next->field_ != field_) return false;
    new_ = next->new_;
    setObsolete(new_ == old_);
    return true;
}

void TTableStyleStep::redo() {
    sheet().Style = new_;
    report(0);
}

void TTableStyleStep::undo() {
    sheet().Style = old_;
    report(0);
}
