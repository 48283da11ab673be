#include "document/SheetDocument.h"

#include <QUndoStack>

#include <algorithm>

#include "document/SheetCommands.h"

namespace {

QString fullWidthNumber(int number) {
    QString digits = QString::number(number);
    for (QChar& digit : digits) digit = QChar(digit.unicode() - u'0' + u'０');
    return digits;
}

// The lists of the style strip offer 0 to 9 only; the sheet keeps what they can show.
void keepStyleInRange(quorvel::TTableStyle& style) {
    style.BorderWidth = std::clamp(style.BorderWidth, 0, 9);
    style.CellPadding = std::clamp(style.CellPadding, 0, 9);
}

}  // namespace

TSheetDocument::TSheetDocument(quorvel::TDescriptionSheet& sheet, QObject* parent)
    : QObject(parent), sheet_(sheet), history_(new QUndoStack(this)) {
    history_->setObjectName(QStringLiteral("SheetHistory"));
    // Each text step keeps the cell's bytes before and after: a bound keeps a long session small.
    history_->setUndoLimit(kHistoryLimit);
    keepStyleInRange(sheet_.Style);
    connect(history_, &QUndoStack::cleanChanged, this,
            [this](bool clean) { emit modifiedChanged(!clean); });
}

TSheetDocument::~TSheetDocument() {
    // The steps refer to the document; they go before it.
    history_->clear();
}

bool TSheetDocument::IsModified() const {
    return !history_->isClean();
}

QString TSheetDocument::CellCaption(int tag) {
    if (tag == quorvel::kTitleTag) return QStringLiteral("タイトル");
    if (tag == quorvel::kNoteTag) return QStringLiteral("枠外注記");
    const int row = (tag - quorvel::kTitleTag + 1) / 2;
    const bool item = tag == quorvel::ItemTag(row);
    return (item ? QStringLiteral("項目") : QStringLiteral("説明")) + fullWidthNumber(row);
}

void TSheetDocument::push(TSheetStep* step, int keepTypingTag) {
    if (!step->ChangesSheet()) {
        delete step;
        return;
    }
    // A box's next edit after any other step is a step of its own, so the box's undo steps and
    // the sheet's stay one for one.
    emit typingSealed(keepTypingTag);
    history_->push(step);
}

void TSheetDocument::SetCellFormat(int focusTag, FormatField field,
                                   const quorvel::TCellFormat& value, bool applyToAll) {
    if (!quorvel::IsCellTag(focusTag)) return;
    if (applyToAll)
        push(new TApplyToAllStep(*this, focusTag, field, value));
    else
        push(new TCellFormatStep(*this, focusTag, field, value));
}

void TSheetDocument::SetIncluded(int tag, bool included) {
    if (!quorvel::IsCellTag(tag)) return;
    push(new TIncludeStep(*this, tag, included));
}

void TSheetDocument::SetTableStyle(StyleField field, const quorvel::TTableStyle& value) {
    push(new TTableStyleStep(*this, 0, field, value));
}

void TSheetDocument::CellTextEdited(int tag, std::string bytes, QTextEdit* box, int boxSteps,
                                    TextKind kind) {
    if (!quorvel::IsCellTag(tag) || replaying_) return;
    const int count = history_->count();
    const bool atTop = history_->index() == count && count > 0;
    // The clean point is never moved by extending a step: a save seals every box.
    auto* last = atTop ? const_cast<QUndoCommand*>(history_->command(count - 1)) : nullptr;
    if (auto* step = dynamic_cast<TCellTextStep*>(last);
        step && step->Continues(tag, box, boxSteps)) {
        step->Extend(bytes);
        quorvel::TSheetCell& cell = sheet_.CellByTag(tag);
        cell.Text = std::move(bytes);
        cell.Modified = true;
        emit changed(Change::CellText, tag);
        return;
    }
    std::string before = sheet_.CellByTag(tag).Text;
    push(new TCellTextStep(*this, tag, std::move(before), std::move(bytes), box, boxSteps, kind),
         tag);
}

void TSheetDocument::ReplaceSheet(quorvel::TDescriptionSheet sheet, bool unsaved) {
    emit typingSealed(0);
    sheet_ = std::move(sheet);
    keepStyleInRange(sheet_.Style);
    history_->clear();
    if (unsaved) history_->resetClean();
    emit modifiedChanged(IsModified());
    emit changed(Change::WholeSheet, 0);
}

void TSheetDocument::MarkSaved(const QString& fileName, bool clean) {
    if (clean) {
        emit typingSealed(0);
        history_->setClean();
        sheet_.ClearModified();
    }
    emit saved(fileName);
}

void TSheetDocument::Undo() {
    replay(true);
}

void TSheetDocument::Redo() {
    replay(false);
}

void TSheetDocument::replay(bool undo) {
    if (undo ? !history_->canUndo() : !history_->canRedo()) return;
    const int at = undo ? history_->index() - 1 : history_->index();
    const auto* step = static_cast<const TSheetStep*>(history_->command(at));
    const Change kind = step->Kind();
    const int tag = step->FocusTag();
    emit typingSealed(0);
    replaying_ = true;
    if (undo)
        history_->undo();
    else
        history_->redo();
    replaying_ = false;
    // The box's undo may leave its text document marked as edited: seal again so its next edit
    // does not merge into a step the sheet no longer has on top.
    emit typingSealed(0);
    emit stepReplayed(kind, tag);
}
