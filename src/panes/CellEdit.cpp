#include "panes/CellEdit.h"

#include <algorithm>

#include <QApplication>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QList>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>

#include "ui/FileDrops.h"
#include "ui/Guarded.h"
#include "ui/SjisText.h"
#include "ui/WinColour.h"

namespace {

Qt::Alignment boxAlignment(int hAlign) {
    switch (hAlign) {
        case quorvel::kHAlignRight:
            return Qt::AlignRight | Qt::AlignAbsolute;
        case quorvel::kHAlignCenter:
            return Qt::AlignHCenter;
        default:
            return Qt::AlignLeft | Qt::AlignAbsolute;
    }
}

}  // namespace

TCellEdit::TCellEdit(TSheetDocument& sheetDocument, int tag, QWidget* parent)
    : QTextEdit(parent), sheetDocument_(sheetDocument), tag_(tag), mirror_(bytes_) {
    setAcceptRichText(false);
    // Long lines scroll sideways with the caret; a horizontal bar would hide the second line of
    // a low row.
    setLineWrapMode(QTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setProperty("Tag", tag);
    ui::connectGuarded(
        document(), &QTextDocument::contentsChange, this,
        [this](int position, int removed, int added) { mirrorChange(position, removed, added); });
    // Comes before the change itself: the edit that follows starts a step of the box's own.
    connect(document(), &QTextDocument::undoCommandAdded, this, [this] { ++boxStep_; });
    connect(&sheetDocument_, &TSheetDocument::changed, this, &TCellEdit::follow);
    connect(&sheetDocument_, &TSheetDocument::typingSealed, this, [this](int keepTag) {
        if (keepTag != tag_) seal();
    });
    ShowCellText();
    ShowCellFormat();
}

void TCellEdit::ShowCellText() {
    bytes_ = Cell().Text;
    settingText_ = true;
    setPlainText(ui::cellTextToBox(bytes_));
    settingText_ = false;
    mirror_.Reset(boxText());
}

void TCellEdit::follow(TSheetDocument::Change what, int tag) {
    using Change = TSheetDocument::Change;
    if (what == Change::WholeSheet) {
        ShowCellText();
        ShowCellFormat();
        return;
    }
    if (tag != tag_) return;
    if (what == Change::CellFormat) ShowCellFormat();
    if (what != Change::CellText) return;
    if (sheetDocument_.Replaying()) {
        // The box has replayed its own step; the cell has its very bytes back, which may be
        // other bytes for the same text (a loaded lone LF, a character with two codes).
        bytes_ = Cell().Text;
        mirror_.Reset(boxText());
    } else if (bytes_ != Cell().Text) {
        ShowCellText();
    }
}

// The box's text document merges an edit into its last step only while it counts as modified.
void TCellEdit::seal() {
    document()->setModified(false);
}

void TCellEdit::EditAs(TSheetDocument::TextKind kind, const std::function<void()>& edit) {
    seal();
    kind_ = kind;
    edit();
    kind_ = TSheetDocument::TextKind::Typing;
    seal();
}

bool TCellEdit::IsHistoryKey(const QKeyEvent& event) {
    const QKeyCombination keys = event.keyCombination();
    return event.matches(QKeySequence::Undo) || event.matches(QKeySequence::Redo) ||
           keys == QKeyCombination(Qt::ControlModifier, Qt::Key_Y) ||
           keys == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
}

bool TCellEdit::event(QEvent* event) {
    // The box would keep these keys for its own undo; the sheet's history is the window's.
    if (event->type() == QEvent::ShortcutOverride &&
        IsHistoryKey(*static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return false;
    }
    return QTextEdit::event(event);
}

void TCellEdit::ShowCellFormat() {
    const quorvel::TCellFormat& format = Cell().Format;
    QFont font = QApplication::font();
    font.setPointSize(format.FontSize);
    font.setBold(format.Bold);
    font.setItalic(format.Italic);
    font.setUnderline(format.Underline);
    setFont(font);
    QPalette colours = palette();
    colours.setColor(QPalette::Text, qColorFromWin(format.FontColor));
    colours.setColor(QPalette::Base, qColorFromWin(format.BackColor));
    setPalette(colours);
    QTextOption option = document()->defaultTextOption();
    if (option.alignment() == boxAlignment(format.HAlign)) return;
    option.setAlignment(boxAlignment(format.HAlign));
    document()->setDefaultTextOption(option);
    // Without wrapping, the box sizes its page to the viewport only once it has seen aligned
    // text, at its next layout; lay out now so a new alignment shows at once.
    setLineWrapColumnOrWidth(lineWrapColumnOrWidth());
}

int TCellEdit::RemainingBytes() const {
    const QTextCursor cursor = textCursor();
    const int selected = mirror_.BytesBetween(cursor.selectionStart(), cursor.selectionEnd());
    return quorvel::kCellMaxInputBytes - (mirror_.Bytes() - selected);
}

TCellEdit::Admitted TCellEdit::admissible(const QString& input, int maxBytes) {
    Admitted result;
    int bytes = 0;
    bool full = false;
    bool afterCr = false;
    ui::forEachBoxChar(input, [&](char32_t ch, int units) {
        // CR LF and a lone CR are one line break each; a lone surrogate is no character.
        const bool lf = ch == U'\n';
        if (lf && afterCr) {
            afterCr = false;
            return;
        }
        afterCr = ch == U'\r';
        if (ch == U'\r' || ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator)
            ch = U'\n';
        const bool lone = units == 1 && QChar::isSurrogate(ch);
        ch = ui::inputCharForm(ch);
        const int length = full || lone ? 0 : ui::inputCharBytes(ch);
        if (length > 0 && bytes + length > maxBytes) full = true;
        if (full || length == 0) {
            ++(full ? result.overLimit : result.refused);
            return;
        }
        bytes += length;
        result.text += QString::fromUcs4(&ch, 1);
    });
    return result;
}

bool TCellEdit::InsertLikePaste(const QString& text) {
    if (kind_ == TSheetDocument::TextKind::Typing) {
        bool inserted = false;
        EditAs(TSheetDocument::TextKind::Paste, [&] { inserted = InsertLikePaste(text); });
        return inserted;
    }
    const Admitted fitting = admissible(text, RemainingBytes());
    if (fitting.dropped() > 0) emit pasteCharactersDropped(fitting.refused, fitting.overLimit);
    if (fitting.text.isEmpty()) return text.isEmpty();
    // A pasted reference takes the same bytes either way; the box shows what the buyer sees.
    textCursor().insertText(ui::referencesAsCharacters(fitting.text));
    ensureCursorVisible();
    return true;
}

QString TCellEdit::boxText() const {
    QString text = document()->toRawText();
    const int length = document()->characterCount() - 1;  // without the closing block break
    if (text.size() > length) text.truncate(length);
    return text;
}

QString TCellEdit::boxTextBetween(int from, int to) const {
    QTextCursor cursor(document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

// Only what changed is counted and written to the cell. The document may include its closing
// block break in a change; a change whose sizes do not add up is taken as a whole.
void TCellEdit::mirrorChange(int position, int removed, int added) {
    // A replayed step is followed once the cell has its bytes back (follow).
    if (settingText_ || sheetDocument_.Replaying()) return;
    const int length = document()->characterCount() - 1;
    removed = std::min(removed, mirror_.Length() - position);
    added = std::min(added, length - position);
    const bool follows =
        position >= 0 && removed >= 0 && added >= 0 && mirror_.Length() - removed + added == length;
    const bool changed =
        follows ? mirror_.Replace(position, removed, boxTextBetween(position, position + added))
                : mirror_.Rebuild(boxText());
    // A step that left the text as it was (the same text pasted over itself) is still a step
    // of the box's own, and the sheet's history must hold it to stay in step with the box.
    if (!changed && boxStep_ == reportedStep_) return;
    reportedStep_ = boxStep_;
    sheetDocument_.CellTextEdited(tag_, bytes_, this, boxStep_, kind_);
}

void TCellEdit::focusInEvent(QFocusEvent* event) {
    QTextEdit::focusInEvent(event);
    // Coming back from a dialog or a menu is not entering the cell anew.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit cellEntered(this);
}

void TCellEdit::focusOutEvent(QFocusEvent* event) {
    QTextEdit::focusOutEvent(event);
    // A modal dialog or the context menu leaves the cell focused within its window.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit cellLeft(this);
}

bool TCellEdit::insertsText(const QKeyEvent& event) {
    // The same test the box's own key handling makes before it inserts a key's text.
    const QString text = event.text();
    if (text.isEmpty()) return false;
    const QChar first = text.at(0);
    if (first.category() == QChar::Other_Format) return true;
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    return first.isPrint() || first.category() == QChar::Other_PrivateUse || first.isSurrogate();
}

void TCellEdit::keyPressEvent(QKeyEvent* event) {
    if (IsHistoryKey(*event)) {
        event->ignore();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        EditAs(TSheetDocument::TextKind::Cut, [this] { cut(); });
        return;
    }
    if (event->key() == Qt::Key_A && (event->modifiers() & Qt::ControlModifier)) {
        selectAll();
        QTextEdit::keyPressEvent(event);
        return;
    }
    const bool lineBreak = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!lineBreak && !insertsText(*event)) {
        QTextEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    const QString typed = lineBreak ? QStringLiteral("\n") : event->text();
    const Admitted fitting = admissible(typed, RemainingBytes());
    if (fitting.text == typed) {
        QTextEdit::keyPressEvent(event);
    } else if (!fitting.text.isEmpty()) {
        textCursor().insertText(fitting.text);
    } else {
        QApplication::beep();
    }
}

void TCellEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (event->commitString().isEmpty()) {
        QTextEdit::inputMethodEvent(event);
        return;
    }
    const Admitted fitting = admissible(event->commitString(), RemainingBytes());
    if (fitting.text == event->commitString()) {
        QTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent trimmed(event->preeditString(), event->attributes());
    trimmed.setCommitString(fitting.text, event->replacementStart(), event->replacementLength());
    QTextEdit::inputMethodEvent(&trimmed);
    if (fitting.dropped() > 0) QApplication::beep();
}

void TCellEdit::dragEnterEvent(QDragEnterEvent* event) {
    if (!ui::DroppedFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    QTextEdit::dragEnterEvent(event);
}

void TCellEdit::dragMoveEvent(QDragMoveEvent* event) {
    if (!ui::DroppedFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    QTextEdit::dragMoveEvent(event);
}

void TCellEdit::dropEvent(QDropEvent* event) {
    if (!ui::DroppedFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    QTextEdit::dropEvent(event);
}

bool TCellEdit::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText();
}

void TCellEdit::insertFromMimeData(const QMimeData* source) {
    if (source->hasText()) InsertLikePaste(source->text());
}
