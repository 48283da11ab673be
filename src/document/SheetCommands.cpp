#include "document/SheetCommands.h"

#include <iterator>

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

QString inCell(const QString& what, int tag) {
    return what + QStringLiteral("（") + TSheetDocument::CellCaption(tag) + QStringLiteral("）");
}

// A field of a value the sheet holds: the members it copies, written as one line each below.
template <class Value>
struct TField {
    const char16_t* Name;
    void (*Copy)(const Value& from, Value& to);
};

template <class Member>
struct OwnerOf;
template <class Value, class Type>
struct OwnerOf<Type Value::*> {
    using Owner = Value;
};

template <auto First, auto... Rest>
constexpr auto field(const char16_t* name) {
    using Value = typename OwnerOf<decltype(First)>::Owner;
    return TField<Value>{name, [](const Value& from, Value& to) {
                             to.*First = from.*First;
                             ((to.*Rest = from.*Rest), ...);
                         }};
}

using quorvel::TCellFormat;
using quorvel::TTableStyle;

// In the order of TSheetDocument::FormatField; the three style flags go together.
constexpr TField<TCellFormat> kFormatFields[] = {
    field<&TCellFormat::FontColor>(u"フォント色"),
    field<&TCellFormat::FontSize>(u"フォントサイズ"),
    field<&TCellFormat::Bold, &TCellFormat::Italic, &TCellFormat::Underline>(u"太字・斜体・下線"),
    field<&TCellFormat::BackColor>(u"背景色"),
    field<&TCellFormat::HAlign>(u"水平揃え"),
    field<&TCellFormat::VAlign>(u"垂直揃え"),
};
static_assert(std::size(kFormatFields) == static_cast<std::size_t>(Field::VAlign) + 1);

// In the order of TSheetDocument::StyleField.
constexpr TField<TTableStyle> kStyleFields[] = {
    field<&TTableStyle::TableAlign>(u"表の水平揃え"),
    field<&TTableStyle::BorderWidth>(u"枠線の太さ"),
    field<&TTableStyle::BorderColorSet>(u"枠線の色指定"),
    field<&TTableStyle::BorderColor>(u"枠線色"),
    field<&TTableStyle::CellPadding>(u"セル内部の余白"),
    field<&TTableStyle::BannerAlign>(u"広告水平揃え"),
};
static_assert(std::size(kStyleFields) == static_cast<std::size_t>(StyleField::BannerAlign) + 1);

template <class Value, class Enum, std::size_t N>
const TField<Value>& fieldOf(const TField<Value> (&table)[N], Enum which) {
    return table[static_cast<std::size_t>(which)];
}

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

QString TCellFormatPlace::FieldName(Field field) {
    return QString::fromUtf16(fieldOf(kFormatFields, field).Name);
}

QString TCellFormatPlace::StepName(Field field, int tag) {
    return inCell(FieldName(field), tag);
}

void TCellFormatPlace::Copy(Field field, const Value& from, Value& to) {
    fieldOf(kFormatFields, field).Copy(from, to);
}

QString TTableStylePlace::StepName(Field field, int) {
    return QString::fromUtf16(fieldOf(kStyleFields, field).Name);
}

void TTableStylePlace::Copy(Field field, const Value& from, Value& to) {
    fieldOf(kStyleFields, field).Copy(from, to);
}

template <class Place>
TFieldStep<Place>::TFieldStep(TSheetDocument& document, int tag, Field field, const Value& value,
                              QUndoCommand* parent)
    : TSheetStep(document, Place::kChange, tag, Place::StepName(field, tag), parent),
      tag_(tag),
      field_(field),
      part_(parent != nullptr),
      old_(Place::In(document.Sheet(), tag)),
      new_(old_) {
    Place::Copy(field, value, new_);
}

// Only a step of its own merges: a part of apply-to-all never does.
template <class Place>
int TFieldStep<Place>::id() const {
    return part_ ? -1 : Place::kIdBase + static_cast<int>(field_);
}

template <class Place>
bool TFieldStep<Place>::mergeWith(const QUndoCommand* other) {
    const auto* next = dynamic_cast<const TFieldStep*>(other);
    if (!next || next->tag_ != tag_ || next->field_ != field_) return false;
    new_ = next->new_;
    setObsolete(new_ == old_);
    return true;
}

template <class Place>
void TFieldStep<Place>::show(const Value& value) {
    Place::In(sheet(), tag_) = value;
    report(tag_);
}

template class TFieldStep<TCellFormatPlace>;
template class TFieldStep<TTableStylePlace>;

TApplyToAllStep::TApplyToAllStep(TSheetDocument& document, int focusTag, Field field,
                                 const quorvel::TCellFormat& value)
    : TSheetStep(document, TSheetDocument::Change::CellFormat, focusTag,
                 TCellFormatPlace::FieldName(field) + QStringLiteral("（全セル）")) {
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
